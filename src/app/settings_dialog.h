// The settings that are not options of a command: the interface language (used from the next
// start) and the compiler the conversion runs, with extra arguments for it.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

class CSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSettingsDialog(QWidget* parent = nullptr);

  QComboBox* m_language;
  QComboBox* m_compiler;  // editable: a program's path may be typed
  QLineEdit* m_arguments;

  void accept() override;
};
