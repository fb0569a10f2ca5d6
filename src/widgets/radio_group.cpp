#include "widgets/radio_group.h"

#include <QKeyEvent>
#include <QRadioButton>
#include <algorithm>

RadioGroup::RadioGroup(QObject* parent) : QObject(parent) {
  connect(&group_, &QButtonGroup::buttonToggled, this, [this] { UpdateTabStop(); });
}

void RadioGroup::Add(std::initializer_list<QRadioButton*> buttons) {
  for (QRadioButton* button : buttons) {
    group_.addButton(button, static_cast<int>(buttons_.size()));
    buttons_.append(button);
    button->installEventFilter(this);
  }
  UpdateTabStop();
}

int RadioGroup::Selected() const {
  return group_.checkedId();
}

void RadioGroup::Select(int index) {
  if (index >= 0 && index < buttons_.size()) {
    buttons_[index]->setChecked(true);
    return;
  }
  // An exclusive group cannot be emptied button by button.
  group_.setExclusive(false);
  for (QRadioButton* button : buttons_) button->setChecked(false);
  group_.setExclusive(true);
  UpdateTabStop();
}

void RadioGroup::UpdateTabStop() {
  const int stop = std::max(Selected(), 0);
  for (qsizetype i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  int direction = 0;
  if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right) direction = 1;
  if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left) direction = -1;
  if (direction == 0 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  const auto from = buttons_.indexOf(static_cast<QRadioButton*>(watched));
  const auto count = buttons_.size();
  for (qsizetype step = 1; step < count; ++step) {
    QRadioButton* next = buttons_[(from + direction * step + count * step) % count];
    if (!next->isEnabled()) continue;
    next->setFocus(Qt::TabFocusReason);
    next->click();
    break;
  }
  return true;
}
