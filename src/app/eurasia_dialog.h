// The Eurasia utilities' dialog: for a map set whose levels 0 and 1 are empty, remove those
// levels or fill them, and optionally list the maps for a preview project. Each opening starts
// from the choices of the last (neither remedy and no list the first time).
#pragma once

#include "app/job_dialog.h"
#include "eurasia/eurasia_job.h"
#include "jobs/map_list_file.h"
#include "widgets/radio_group.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

// The dialog's option members: -1 no remedy, 0 level removal, 1 level fill; 1 makes the list.
struct EurasiaDialogOptions {
  int m_nAction = -1;
  int m_bMakeTdbList = 0;
  int m_bKeepWhole = 0;  // level removal keeps the other elements whole
};

pomvelt::EurasiaOptions EurasiaOptionsOf(const EurasiaDialogOptions& o);

class CEurasiaDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CEurasiaDialog(QWidget* parent = nullptr);
  ~CEurasiaDialog() override;

  EurasiaDialogOptions& options() { return m_options; }

  QRadioButton* m_removeLevels;
  QCheckBox* m_keepWhole;
  QRadioButton* m_fillLevels;
  QCheckBox* m_makeTdbList;
  QPushButton* m_chooseAndConvert;
  QPushButton* m_close;

 private:
  pomvelt::CMapListFile m_listFile;
  EurasiaDialogOptions m_options;
  RadioGroup actionGroup_;
};
