// The main dialog: every option of the map-editing commands, the enabling of the controls
// that depend on other choices, and the buttons that start the commands. Maps dropped on it
// are offered selected in the next command's file dialog.
#pragma once

#include <optional>
#include <vector>

#include "app/examine_windows.h"
#include "app/job_dialog.h"
#include "app/main_options.h"
#include "pipeline/conversion_state.h"
#include "widgets/radio_group.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CMainDialog : public JobDialog {
  Q_OBJECT

 public:
  struct Controls {
    QCheckBox* decompile;
    QRadioButton *cgpsmapper, *gpsMapEdit;
    QRadioButton *translitToRussian, *russianToTranslit, *translitNone;
    QCheckBox *lowerCase, *convertInPlace, *makeFileList;
    QCheckBox *compile, *deleteMpAfterCompile;
    QPushButton* convert;
    QRadioButton *replaceInPolygons, *replaceInLines;
    QLineEdit *replaceFrom, *replaceTo;
    QCheckBox* replaceInPlace;
    QPushButton* replaceTypes;
    QRadioButton *deletePolygons, *deleteLines, *deletePoints;
    QLineEdit* deleteType;
    QCheckBox* deleteInPlace;
    QPushButton* deleteElements;
    QLineEdit* layer;
    QCheckBox* keepWhole;
    QPushButton* deleteLayer;
    QPushButton *stats, *check, *rules;
    QPushButton *eurasia, *searchReplace, *recode, *settings, *about, *exit;
    QLabel* dropped;
  };

  explicit CMainDialog(QWidget* parent = nullptr);
  ~CMainDialog() override;

  // The option set. A command copies the controls into it (UpdateData(true)) when it starts.
  pomvelt::MainOptions& options() { return m_options; }
  const Controls& controls() const { return c_; }
  QAction* aboutAction() const { return aboutAction_; }
  QAction* undoAction() const { return undoAction_; }

  // Offers these maps selected in the next command's file dialog.
  void SetDroppedMaps(const QStringList& paths);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void done(int result) override;

 private:
  QWidget* BuildConversion();
  QWidget* BuildReplaceTypes();
  QWidget* BuildDeleteElements();
  QWidget* BuildDeleteLayer();
  QLayout* BuildOthers();
  void BindOptions();
  void ConnectControls();
  // A new dialog at each opening, answering with this one's file dialog and message boxes.
  template <class Dialog>
  void OpenJobDialog();

  // The enabling rules, after every click (the arrow keys of a radio group click as well).
  void UpdateEnabling();

  // Commands.
  void OnConvert();
  void OnReplaceTypes();
  void OnDeleteElements();
  void OnDeleteLayer();
  void OnStats();
  void OnCheck();
  void OnRules();
  // After a job: the window with what a statistics or check run found.
  void ShowFindings();
  void OnAbout();
  void OnUndoLast();

  // The conversion's names list and its compiler-missing flag, reused by every run.
  pomvelt::ConversionState m_conversion;
  pomvelt::MainOptions m_options;
  // Filled on the job thread, shown once the job has returned.
  std::optional<std::vector<MapStatsOfFile>> m_foundStats;
  std::optional<std::vector<DiagnosticsOfFile>> m_foundProblems;
  Controls c_{};
  RadioGroup decompilerGroup_, translitGroup_, replaceKindGroup_, deleteKindGroup_;
  QAction* aboutAction_ = nullptr;
  QAction* undoAction_ = nullptr;
};
