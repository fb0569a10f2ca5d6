// The windows that show what the read-only commands found: the statistics of the chosen maps
// as tables, and the checker's diagnostics as a list whose entries copy "file:line" on a
// double click. Both are filled once, from results gathered on a job thread.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "examine/map_check.h"
#include "examine/map_stats.h"
#include "jobs/job_host.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTableWidget;
class QTabWidget;

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

 private:
  void OnDoubleClicked(QListWidgetItem* item);
};
