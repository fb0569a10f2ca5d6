// The recode dialog: the chosen maps rewritten in another code page, in place or as copies.
// Each opening starts from the choices of the last.
#pragma once

#include "app/job_dialog.h"
#include "jobs/recode.h"

class QCheckBox;
class QComboBox;
class QPushButton;

class CRecodeDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CRecodeDialog(QWidget* parent = nullptr);
  ~CRecodeDialog() override;

  QComboBox* m_page;
  QCheckBox* m_replaceMissing;
  QCheckBox* m_recodeInPlace;
  QPushButton* m_chooseAndRecode;
  QPushButton* m_close;

 private:
  int m_nTargetPage = pomvelt::RecodeOptions{}.to.number();
  int m_bReplaceMissing = pomvelt::RecodeOptions{}.replaceMissing ? 1 : 0;
  int m_bRecodeInPlace = pomvelt::RecodeOptions{}.inPlace ? 1 : 0;
};
