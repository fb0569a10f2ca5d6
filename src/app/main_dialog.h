// The main dialog: every option of the map-editing commands, the enabling of the controls
// that depend on other choices, and the buttons that start the commands. Maps dropped on it
// are offered selected in the next command's file dialog.
#pragma once

#include <memory>

#include "app/job_dialog.h"
#include "jobs/delete_elements.h"
#include "jobs/delete_layer.h"
#include "jobs/replace_type.h"
#include "pipeline/conversion_state.h"
#include "pipeline/convert_files.h"
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

  // The options of the commands as the controls show them, disabled controls included.
  pomvelt::ConvertOptions ConversionOptions() const;
  pomvelt::ReplaceTypeOptions ReplaceOptions() const;
  pomvelt::DeleteElementsOptions DeletionOptions() const;
  pomvelt::DeleteLayerOptions LayerOptions() const;

  const Controls& controls() const { return c_; }
  QAction* aboutAction() const { return aboutAction_; }
  QAction* undoAction() const { return undoAction_; }

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
  void OnRules();
  // Reads each chosen map on the job thread, then shows what was found in a new window.
  template <class Window, class OfFile, class Read>
  void ShowFound(Read read);

  // The conversion's names list and its compiler-missing flag, reused by every run (and kept
  // by a running job).
  std::shared_ptr<pomvelt::ConversionState> conversion_ =
      std::make_shared<pomvelt::ConversionState>();
  Controls c_{};
  RadioGroup decompilerGroup_, translitGroup_, replaceKindGroup_, deleteKindGroup_;
  QAction* aboutAction_ = nullptr;
  QAction* undoAction_ = nullptr;
};
