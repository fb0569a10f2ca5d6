// The settings that are not options of a command: the interface language (used from the next
// start), the compiler the conversion runs, with extra arguments for it, and whether jobs keep
// the originals of the maps they replace for undo.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

class CSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSettingsDialog(QWidget* parent = nullptr);

  QComboBox* m_language;
  QComboBox* m_compiler;  // editable: a program's path may be typed
  QLineEdit* m_arguments;
  QCheckBox* m_undo;

  void accept() override;
};
