// The windows that show what a job did or found: the details of a finished batch, the
// statistics of the chosen maps as tables, and the checker's diagnostics as a list whose
// entries copy "file:line" on a double click. Each is filled once, from results gathered on a
// job thread.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "examine/map_check.h"
#include "examine/map_stats.h"
#include "jobs/batch_report.h"
#include "jobs/job_host.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableWidget;
class QTabWidget;

// The details of a finished batch: a row per file with its outcome, counts and message, and
// the report saved as JSON, the same file `pomvelt-cli --report` writes.
class CReportDialog : public QDialog {
  Q_OBJECT

 public:
  CReportDialog(pomvelt::BatchReport report, QWidget* parent = nullptr);

  // Writes the report to `path`; false, with the message shown, when it could not.
  bool SaveTo(const QString& path);

  QTableWidget* m_table;
  QPushButton* m_save;
  QPushButton* m_close;

 private:
  pomvelt::BatchReport m_report;
};

struct MapStatsOfFile {
  std::string path;  // UTF-8, as chosen
  pomvelt::MapStats stats;
};

struct DiagnosticsOfFile {
  std::string path;
  std::vector<pomvelt::Diagnostic> diagnostics;
};

// Runs `read` over the files with the progress window and a cancel check before each file,
// and no final message: the window that follows is the result. `read` shows its own failures
// and returns false for them.
void ReadEachFile(pomvelt::JobHost& host, const std::vector<std::string>& files,
                  const std::function<bool(const std::string& path)>& read);

class CStatsWindow : public QDialog {
  Q_OBJECT

 public:
  CStatsWindow(QWidget* parent, const std::vector<MapStatsOfFile>& files);

  // One row per map and a total row; the breakdowns by type and by level, each map's rows
  // followed by the total's.
  QTableWidget* m_summary;
  QTabWidget* m_breakdowns;
  QTableWidget* m_byType;
  QTableWidget* m_byLevel;
};

class CCheckWindow : public QDialog {
  Q_OBJECT

 public:
  CCheckWindow(QWidget* parent, const std::vector<DiagnosticsOfFile>& files);

  // What the clipboard gets for an entry: "file:line"; empty for a line that is no diagnostic.
  static QString Location(const QListWidgetItem* item);

  QLabel* m_summary;
  QListWidget* m_list;
};
