#include "widgets/wrapping_button.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {

// Draws the indicator through the style without a text, then the text wrapped beside it.
void PaintWrapped(QWidget* button, QStyleOptionButton& option, QStyle::ControlElement element,
                  const QRect& textRect) {
  const bool focused = option.state & QStyle::State_HasFocus;
  const QString text = option.text;
  option.text.clear();
  option.state &= ~QStyle::State_HasFocus;

  QStylePainter painter(button);
  painter.drawControl(element, option);
  button->style()->drawItemText(&painter, textRect, kWrappingButtonTextFlags, option.palette,
                                button->isEnabled(), text, QPalette::WindowText);
  if (focused) {
    QStyleOptionFocusRect focus;
    focus.initFrom(button);
    focus.rect = painter.fontMetrics()
                     .boundingRect(textRect, kWrappingButtonTextFlags, text)
                     .adjusted(-1, 0, 1, 0)
                     .intersected(button->rect());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

QRect ContentsRect(const QWidget* button, QStyle::SubElement element,
                   QStyle::SubElement indicator) {
  QStyleOptionButton option;
  option.initFrom(button);
  const QRect box = button->style()->subElementRect(indicator, &option, button);
  QRect contents = button->style()->subElementRect(element, &option, button);
  // The contents rectangle of an empty label may be empty; the text starts after the box.
  const int spacing = button->style()->pixelMetric(element == QStyle::SE_CheckBoxContents
                                                       ? QStyle::PM_CheckBoxLabelSpacing
                                                       : QStyle::PM_RadioButtonLabelSpacing,
                                                   &option, button);
  contents.setLeft(box.right() + 1 + spacing);
  contents.setRight(button->rect().right());
  contents.setTop(button->rect().top());
  contents.setBottom(button->rect().bottom());
  return contents;
}

}  // namespace

QRect WrappingCheckBox::TextRect() const {
  return ContentsRect(this, QStyle::SE_CheckBoxContents, QStyle::SE_CheckBoxIndicator);
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  initStyleOption(&option);
  PaintWrapped(this, option, QStyle::CE_CheckBox, TextRect());
}

QRect WrappingRadioButton::TextRect() const {
  return ContentsRect(this, QStyle::SE_RadioButtonContents, QStyle::SE_RadioButtonIndicator);
}

void WrappingRadioButton::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  initStyleOption(&option);
  PaintWrapped(this, option, QStyle::CE_RadioButton, TextRect());
}
