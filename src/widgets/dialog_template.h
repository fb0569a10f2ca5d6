// Builds a dialog from a template: a table of controls with their kinds, ids, texts and
// rectangles in dialog units, in the order that sets the tab order and the extent of the
// radio groups. Each control gets its id in decimal (or its given name) as object name, and
// the innermost group box that holds it as parent.
//
// The rectangles are converted with the dialog font's base units. Where a font is wider for
// its size than the one the template was drawn for, so that some text would be cut off, the
// horizontal unit is widened until every text fits: the arrangement stays the template's.
#pragma once

#include <QHash>
#include <QRect>
#include <span>
#include <vector>

#include "widgets/dialog_units.h"

class QButtonGroup;
class QDialog;
class QWidget;

enum class ControlKind { kCheckBox, kRadioButton, kPushButton, kEdit, kLabel, kGroupBox, kIcon };

enum ControlFlag : unsigned {
  kStartsGroup = 1,     // a radio button that starts a new radio group
  kAlignRight = 2,      // labels
  kAlignCentre = 4,     // labels
  kDigitsOnly = 8,      // edits
  kDefaultButton = 16,  // push buttons
};

struct TemplateControl {
  ControlKind kind;
  int id;            // 0 for a control without one
  const char* name;  // object name of a control without an id
  const char* text;  // UTF-8
  int x, y, width, height;
  unsigned flags;
};

class DialogTemplate {
 public:
  // Creates the controls in the dialog and gives the dialog the template's fixed size.
  DialogTemplate(QDialog* dialog, int width, int height, std::span<const TemplateControl> controls);

  QWidget* Control(int id) const { return byId_.value(id); }
  // The radio group that starts with the button of this id; button ids are the zero-based
  // positions within the group.
  QButtonGroup* RadioGroup(int firstId) const { return radioGroups_.value(firstId); }
  const DialogUnits& units() const { return units_; }

 private:
  void Place(const DialogUnits& units);

  QDialog* dialog_;
  QSize size_;
  QHash<int, QWidget*> byId_;
  QHash<int, QButtonGroup*> radioGroups_;
  QHash<QWidget*, QRect> rects_;  // each control's rectangle in dialog units
  std::vector<QWidget*> order_;   // in the order they were made
  DialogUnits units_;
};

// True when the widget's text is shown whole within it (wrapped at word boundaries where the
// control wraps). Widgets without a text fit.
bool TextFits(const QWidget* widget);
