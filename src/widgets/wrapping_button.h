// Check boxes and radio buttons whose text wraps at word boundaries within the control's
// width and is centred vertically beside the indicator, as multi-line buttons of a dialog
// template are drawn. A click anywhere on the control toggles it.
#pragma once

#include <QCheckBox>
#include <QRadioButton>

class WrappingCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

  // The rectangle the text is wrapped into.
  QRect TextRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class WrappingRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

  QRect TextRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// Flags the text of a wrapping button is drawn with.
inline constexpr int kWrappingButtonTextFlags =
    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
