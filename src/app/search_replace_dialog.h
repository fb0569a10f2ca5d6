// The search-and-replace dialog: two texts and a button that replaces the one by the other in
// every line of the chosen files, in place. Every opening starts from the initial texts.
#pragma once

#include "app/job_dialog.h"
#include "jobs/search_replace.h"
#include "widgets/dialog_template.h"

class CSearchReplaceDialog : public JobDialog {
  Q_OBJECT

 public:
  // Control ids; each control's object name is its id in decimal.
  static constexpr int kIdClose = 1;
  static constexpr int kIdFind = 1038;
  static constexpr int kIdReplace = 1039;
  static constexpr int kIdChooseAndReplace = 1040;

  explicit CSearchReplaceDialog(QWidget* parent = nullptr);
  ~CSearchReplaceDialog() override;

  // The texts as code page 1251 bytes, copied from the edits when the command starts.
  pomvelt::SearchReplaceOptions& options() { return m_options; }

  QWidget* Control(int id) const { return template_.Control(id); }
  const DialogUnits& units() const { return template_.units(); }

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  void OnChooseAndReplace();

  pomvelt::SearchReplaceOptions m_options;
  DialogTemplate template_;
};
