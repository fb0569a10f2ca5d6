#include "widgets/dialog_template.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "widgets/cp1251_validator.h"
#include "widgets/wrapping_button.h"

namespace {

// A group box as a template draws it: an etched frame whose top edge runs through the middle
// of the title, so that the controls placed just below the box's top are inside the frame.
class TemplateGroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    if (title().isEmpty()) return;
    const int width = metrics.horizontalAdvance(title());
    const QRect label(metrics.averageCharWidth() + 2, 0, width + 4, metrics.height());
    painter.fillRect(label, palette().color(QPalette::Window));
    style()->drawItemText(&painter, label, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
  }
};

QRect UnitsOf(const TemplateControl& c) {
  return QRect(c.x, c.y, c.width, c.height);
}

QWidget* Create(const TemplateControl& c, QWidget* parent) {
  const QString text = QString::fromUtf8(c.text);
  switch (c.kind) {
    case ControlKind::kCheckBox:
      return new WrappingCheckBox(text, parent);
    case ControlKind::kRadioButton:
      return new WrappingRadioButton(text, parent);
    case ControlKind::kPushButton: {
      auto* button = new QPushButton(text, parent);
      button->setDefault((c.flags & kDefaultButton) != 0);
      return button;
    }
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setValidator(new Cp1251Validator((c.flags & kDigitsOnly) != 0, edit));
      return edit;
    }
    case ControlKind::kLabel: {
      // Static texts of a template wrap at word boundaries and start at the top.
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      const Qt::Alignment horizontal = (c.flags & kAlignRight)    ? Qt::AlignRight
                                       : (c.flags & kAlignCentre) ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft;
      label->setAlignment(horizontal | Qt::AlignTop);
      return label;
    }
    case ControlKind::kIcon: {
      auto* label = new QLabel(parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::kGroupBox:
      return new TemplateGroupBox(text, parent);
  }
  return nullptr;
}

bool WrappedTextFits(const QFontMetrics& metrics, const QRect& area, int flags,
                     const QString& text) {
  const QRect needed = metrics.boundingRect(area, flags | Qt::TextWordWrap, text);
  if (needed.width() > area.width() || needed.height() > area.height()) return false;
  // A word wider than the area would be broken inside or run past the edge.
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  return std::all_of(words.begin(), words.end(), [&](const QString& word) {
    return metrics.horizontalAdvance(word) <= area.width();
  });
}

}  // namespace

bool TextFits(const QWidget* widget) {
  const QFontMetrics metrics(widget->font());
  if (const auto* box = dynamic_cast<const WrappingCheckBox*>(widget)) {
    return WrappedTextFits(metrics, box->TextRect(), kWrappingButtonTextFlags, box->text());
  }
  if (const auto* radio = dynamic_cast<const WrappingRadioButton*>(widget)) {
    return WrappedTextFits(metrics, radio->TextRect(), kWrappingButtonTextFlags, radio->text());
  }
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    return metrics.horizontalAdvance(button->text()) + 2 * margin <= button->width();
  }
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    if (label->text().isEmpty()) return true;
    if (!label->wordWrap()) {
      return metrics.horizontalAdvance(label->text()) <= label->contentsRect().width();
    }
    return WrappedTextFits(metrics, label->contentsRect(), static_cast<int>(label->alignment()),
                           label->text());
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
    return metrics.horizontalAdvance(group->title()) + 2 * metrics.averageCharWidth() + 8 <=
           group->width();
  }
  return true;
}

DialogTemplate::DialogTemplate(QDialog* dialog, int width, int height,
                               std::span<const TemplateControl> controls)
    : dialog_(dialog), size_(width, height), units_(dialog->font()) {
  // Group boxes first, outer ones before the boxes inside them, so that every control finds
  // the innermost box that holds it.
  std::vector<const TemplateControl*> boxes;
  for (const TemplateControl& c : controls) {
    if (c.kind == ControlKind::kGroupBox) boxes.push_back(&c);
  }
  std::stable_sort(boxes.begin(), boxes.end(), [](const auto* a, const auto* b) {
    return a->width * a->height > b->width * b->height;
  });
  std::vector<std::pair<QRect, QWidget*>> made;
  const auto parentOf = [&](const QRect& units) -> QWidget* {
    QWidget* parent = dialog;
    for (const auto& [rect, widget] : made) {
      if (qobject_cast<QGroupBox*>(widget) && rect.contains(units)) parent = widget;
    }
    return parent;
  };
  const auto make = [&](const TemplateControl& c) {
    QWidget* widget = Create(c, parentOf(UnitsOf(c)));
    widget->setObjectName(c.id ? QString::number(c.id) : QString::fromUtf8(c.name));
    if (c.id) byId_.insert(c.id, widget);
    rects_.insert(widget, UnitsOf(c));
    order_.push_back(widget);
    made.emplace_back(UnitsOf(c), widget);
    return widget;
  };
  for (const TemplateControl* c : boxes) make(*c);

  QButtonGroup* radioGroup = nullptr;
  std::vector<QWidget*> tabOrder;
  for (const TemplateControl& c : controls) {
    if (c.kind == ControlKind::kGroupBox) continue;
    QWidget* widget = make(c);
    if (c.kind == ControlKind::kRadioButton) {
      if ((c.flags & kStartsGroup) || !radioGroup) {
        radioGroup = new QButtonGroup(dialog);
        radioGroups_.insert(c.id, radioGroup);
      }
      radioGroup->addButton(static_cast<QAbstractButton*>(widget),
                            static_cast<int>(radioGroup->buttons().size()));
    }
    if (c.kind != ControlKind::kLabel && c.kind != ControlKind::kIcon) tabOrder.push_back(widget);
  }
  for (std::size_t i = 1; i < tabOrder.size(); ++i) {
    QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  }

  dialog->ensurePolished();
  const DialogUnits measured = units_;
  for (int step = 0; step <= 16; ++step) {
    units_ = DialogUnits(measured.baseX() * (1.0 + step / 32.0), measured.baseY());
    Place(units_);
    const bool allFit = std::all_of(made.begin(), made.end(),
                                    [](const auto& entry) { return TextFits(entry.second); });
    if (allFit) break;
  }
}

void DialogTemplate::Place(const DialogUnits& units) {
  dialog_->setFixedSize(units.Size(size_.width(), size_.height()));
  // Boxes were made first, outer ones first: a parent is placed before its children.
  for (QWidget* widget : order_) {
    const QRect pixels = units.Rect(rects_.value(widget));
    const QPoint origin = widget->parentWidget()->mapTo(dialog_, QPoint(0, 0));
    widget->setGeometry(pixels.translated(-origin));
  }
}
