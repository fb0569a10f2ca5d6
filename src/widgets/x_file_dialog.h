// The multi-select file-open dialog of every batch job: Qt's own dialog (not the platform's),
// so that its accept button reads "Convert!" everywhere, whatever is selected. Only files are
// ever selected (select-all takes the files of the folder; folders open by double-click or
// Enter), and a pattern such as "*.mp" given or typed as the file name filters the list.
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_host.h"

class CXFileDialog : public QFileDialog {
 public:
  explicit CXFileDialog(const pomvelt::JobFileDialogParams& params, QWidget* parent = nullptr);

  // Every chosen file as a full path in the dialog's order, in the platform's file-name
  // encoding (what the core opens).
  std::vector<std::string> ChosenPaths() const;

  // A job's filter ("description|pattern|...|") as Qt name filters. The description is what
  // the list shows; "*.*" matches every file, as it does on the system the filters come from.
  static QStringList NameFilters(const std::string& filter);

  // The folder the next dialog opens in (the folder of the last choice), and files to offer
  // selected in the next dialog only. GUI thread only.
  static inline QString lastFolder;
  static inline QStringList preselected;

  // Runs the dialog above the owner (which may be disabled and is not made its parent): the
  // chosen paths, or nullopt when the user cancelled.
  static std::optional<std::vector<std::string>> Choose(const pomvelt::JobFileDialogParams& params,
                                                        QWidget* owner);

  void accept() override;
};
