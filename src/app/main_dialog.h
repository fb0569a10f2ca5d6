// The main dialog: every option of the map-editing commands, the enabling of the controls
// that depend on other choices, and the buttons that start the commands.
#pragma once

#include "app/job_dialog.h"
#include "jobs/main_options.h"
#include "pipeline/conversion_state.h"
#include "widgets/dialog_template.h"

class QAction;

class CMainDialog : public JobDialog {
  Q_OBJECT

 public:
  // Control ids; each control's object name is its id in decimal.
  static constexpr int kIdExit = 2;
  static constexpr int kIdConvert = 1001;
  static constexpr int kIdAbout = 1003;
  static constexpr int kIdReplaceTypes = 1005;
  static constexpr int kIdReplaceInPolygons = 1006;
  static constexpr int kIdReplaceInLines = 1007;
  static constexpr int kIdReplaceFrom = 1008;
  static constexpr int kIdReplaceTo = 1009;
  static constexpr int kIdReplaceInPlace = 1010;
  static constexpr int kIdConvertInPlace = 1011;
  static constexpr int kIdDeleteElements = 1012;
  static constexpr int kIdDeleteInPlace = 1013;
  static constexpr int kIdDeleteType = 1014;
  static constexpr int kIdDeletePolygons = 1015;
  static constexpr int kIdDeleteLines = 1016;
  static constexpr int kIdLowerCase = 1017;
  static constexpr int kIdCompile = 1018;
  static constexpr int kIdDecompile = 1019;
  static constexpr int kIdTranslitToRussian = 1020;
  static constexpr int kIdRussianToTranslit = 1021;
  static constexpr int kIdTranslitNone = 1022;
  static constexpr int kIdDeletePoints = 1023;
  static constexpr int kIdDeleteLayer = 1024;
  static constexpr int kIdLayer = 1025;
  static constexpr int kIdDeleteMpAfterCompile = 1026;
  static constexpr int kIdMakeFileList = 1027;
  static constexpr int kIdDecompileCgpsmapper = 1034;
  static constexpr int kIdDecompileGpsMapEdit = 1035;
  static constexpr int kIdSearchReplace = 1037;
  static constexpr int kIdEurasia = 1042;

  explicit CMainDialog(QWidget* parent = nullptr);
  ~CMainDialog() override;

  // The option set. A command copies the controls into it (UpdateData(true)) when it starts.
  pomvelt::MainOptions& options() { return m_options; }
  const pomvelt::MainOptions& options() const { return m_options; }

  QWidget* Control(int id) const { return template_.Control(id); }
  // The dialog units the template was laid out in.
  const DialogUnits& units() const { return template_.units(); }
  QAction* aboutAction() const { return aboutAction_; }

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void keyPressEvent(QKeyEvent* event) override;
#ifdef Q_OS_WIN
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

 private:
  void ConnectControls();
  void EnableControls(std::initializer_list<int> ids, bool enable);

  // Enabling rules.
  void OnTranslitNone();
  void OnTranslitOn();
  void OnDecompileClicked();
  void OnCompileClicked();

  // Commands.
  void OnConvert();
  void OnReplaceTypes();
  void OnDeleteElements();
  void OnDeleteLayer();
  void OnSearchReplace();
  void OnEurasia();
  void OnAbout();

  // The conversion's names list m_listFile and its m_bCompilerMissing flag, reused by every
  // run. Its compiler is left unset, so each run looks at POMVELT_COMPILER afresh.
  pomvelt::ConversionState m_conversion;
  pomvelt::MainOptions m_options;
  DialogTemplate template_;
  QAction* aboutAction_ = nullptr;
};
