// The Eurasia utilities' dialog: for a map set whose levels 0 and 1 are empty, remove those
// levels or fill them, and optionally list the maps for a preview project. Every opening starts
// with neither remedy chosen and no list.
#pragma once

#include "app/job_dialog.h"
#include "eurasia/eurasia_job.h"
#include "eurasia/map_list_file.h"
#include "widgets/dialog_template.h"

class CEurasiaDialog : public JobDialog {
  Q_OBJECT

 public:
  // Control ids; each control's object name is its id in decimal.
  static constexpr int kIdClose = 1;
  static constexpr int kIdChooseAndConvert = 1030;
  static constexpr int kIdRemoveLevels = 1032;
  static constexpr int kIdFillLevels = 1033;
  static constexpr int kIdMakeTdbList = 1036;

  explicit CEurasiaDialog(QWidget* parent = nullptr);
  ~CEurasiaDialog() override;

  pomvelt::EurasiaOptions& options() { return m_options; }

  QWidget* Control(int id) const { return template_.Control(id); }
  const DialogUnits& units() const { return template_.units(); }

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  void OnChooseAndConvert();

  pomvelt::CMapListFile m_listFile;
  pomvelt::EurasiaOptions m_options;
  DialogTemplate template_;
};
