// Radio buttons that act as one control: Tab stops once, on the selected button (the first
// while none is selected); the arrow keys move to the next or previous enabled button in the
// order the buttons were added, wrapping round, and select it with a click, so whatever a click
// sets off happens for a key as well.
#pragma once

#include <QButtonGroup>
#include <QList>
#include <QObject>
#include <initializer_list>

class QRadioButton;

class RadioGroup : public QObject {
  Q_OBJECT

 public:
  explicit RadioGroup(QObject* parent = nullptr);

  void Add(std::initializer_list<QRadioButton*> buttons);

  // The index of the selected button, or -1 when none is.
  int Selected() const;
  // The enumerator of the selected button, the buttons added in the enumerators' order; `none`
  // while no button is selected.
  template <class Enum>
  Enum Chosen(Enum none) const {
    return Selected() < 0 ? none : static_cast<Enum>(Selected());
  }
  // Selects the button of that index; any other index leaves none selected.
  void Select(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateTabStop();

  QButtonGroup group_;
  QList<QRadioButton*> buttons_;
};
