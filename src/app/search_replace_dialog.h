// The search-and-replace dialog: two texts and a button that replaces the one by the other in
// every line of the chosen files, in place. Each opening starts from the texts of the last.
#pragma once

#include <string>

#include "app/job_dialog.h"
#include "jobs/search_replace.h"

class QPushButton;

// The dialog's option members: the texts in UTF-8, as typed.
struct SearchReplaceDialogOptions {
  std::string m_strFind = pomvelt::SearchReplaceOptions{}.find;
  std::string m_strReplace = pomvelt::SearchReplaceOptions{}.replace;
};

class CSearchReplaceDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CSearchReplaceDialog(QWidget* parent = nullptr);
  ~CSearchReplaceDialog() override;

  // The texts in UTF-8, copied from the edits when the command starts.
  SearchReplaceDialogOptions& options() { return m_options; }

  QLineEdit* m_find;
  QLineEdit* m_replace;
  QPushButton* m_chooseAndReplace;
  QPushButton* m_close;

 private:
  SearchReplaceDialogOptions m_options;
};
