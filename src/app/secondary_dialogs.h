// The dialogs the main dialog's buttons open: the three that run commands of their own (search
// and replace, the Eurasia utilities, recode), the settings and the About box.
#pragma once

#include <memory>

#include "app/job_dialog.h"
#include "eurasia/eurasia_job.h"
#include "jobs/map_list_file.h"
#include "jobs/recode.h"
#include "jobs/search_replace.h"
#include "widgets/radio_group.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The search-and-replace dialog: two texts and a button that replaces the one by the other in
// every line of the chosen files, in place. Each opening starts from the texts of the last.
class CSearchReplaceDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CSearchReplaceDialog(QWidget* parent = nullptr);

  QLineEdit* m_find;
  QLineEdit* m_replace;
  QPushButton* m_chooseAndReplace;
  QPushButton* m_close;
};

// The Eurasia utilities' dialog: for a map set whose levels 0 and 1 are empty, remove those
// levels or fill them, and optionally list the maps for a preview project. Each opening starts
// from the choices of the last (neither remedy and no list the first time).
class CEurasiaDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CEurasiaDialog(QWidget* parent = nullptr);

  // The options as the controls show them.
  pomvelt::EurasiaOptions Options() const;

  QRadioButton* m_removeLevels;
  QCheckBox* m_keepWhole;
  QRadioButton* m_fillLevels;
  QCheckBox* m_makeTdbList;
  QPushButton* m_chooseAndConvert;
  QPushButton* m_close;

 private:
  // The list the runs add to (kept by a running job).
  std::shared_ptr<pomvelt::CMapListFile> listFile_ = std::make_shared<pomvelt::CMapListFile>();
  RadioGroup actionGroup_;
};

// The recode dialog: the chosen maps rewritten in another code page, in place or as copies.
// Each opening starts from the choices of the last.
class CRecodeDialog : public JobDialog {
  Q_OBJECT

 public:
  explicit CRecodeDialog(QWidget* parent = nullptr);

  QComboBox* m_page;
  QCheckBox* m_replaceMissing;
  QCheckBox* m_recodeInPlace;
  QPushButton* m_chooseAndRecode;
  QPushButton* m_close;
};

// The settings that are not options of a command: the interface language (used from the next
// start), the compiler the conversion runs, with extra arguments for it, and whether jobs keep
// the originals of the maps they replace for undo.
class CSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSettingsDialog(QWidget* parent = nullptr);

  QComboBox* m_language;
  QComboBox* m_compiler;  // editable: a program's path may be typed
  QLineEdit* m_arguments;
  QCheckBox* m_undo;

  void accept() override;
};

// The About box: the program's name and version, the author line and a link to its home page:
// red, blue under the mouse, dark green once followed, with a yellow tooltip.
inline constexpr const char* kHomePageUrl = "https://pomvelt.example.org/";
inline constexpr const char* kHomePageText = "pomvelt.example.org";
inline constexpr const char* kAuthorLine = "Автор: команда Pomvelt";

class CAboutDialog : public QDialog {
 public:
  explicit CAboutDialog(QWidget* parent = nullptr);

  QLabel* link() const { return m_link; }
  // The colour the link is drawn in now.
  QColor LinkColor() const;

 private:
  void UpdateLink();

  QLabel* m_link;
  bool m_bOver = false;
  bool m_bVisited = false;
};
