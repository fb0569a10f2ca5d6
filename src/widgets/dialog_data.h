// Dialog-data exchange: copies a dialog's controls into its option members (save) or the
// members into the controls (load). Edits hold code page 1251 bytes in their members, so a text
// the code page cannot hold is not copied: the exchange remembers the first such edit, leaves
// its member as it was and goes on with the other controls.
#pragma once

#include <string>

class QAbstractButton;
class QButtonGroup;
class QLineEdit;

namespace pomvelt {
class JobHost;
}

class DataExchange {
 public:
  explicit DataExchange(bool save) : save_(save) {}

  void Text(QLineEdit* edit, std::string& member);
  void Check(QAbstractButton* box, int& member);
  // The zero-based index of the checked button of the group, or -1 when none is checked.
  void Radio(QButtonGroup* group, int& member);

  bool saving() const { return save_; }
  // The first edit whose text could not be copied, or nullptr.
  QLineEdit* failedEdit() const { return failedEdit_; }

  // Ends an exchange: true when every control was copied. Otherwise tells the user which text
  // code page 1251 cannot hold, puts the focus into that edit and returns false.
  bool Report(pomvelt::JobHost& host) const;

 private:
  bool save_;
  QLineEdit* failedEdit_ = nullptr;
};
