// The details of a finished batch: a row per file with its outcome, counts and message, and
// the report saved as JSON, the same file `pomvelt-cli --report` writes.
#pragma once

#include <QDialog>

#include "jobs/batch_report.h"

class QPushButton;
class QTableWidget;

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
  void OnSave();

  pomvelt::BatchReport m_report;
};
