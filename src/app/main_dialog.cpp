#include "app/main_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/app_icon.h"
#include "app/eurasia_dialog.h"
#include "app/search_replace_dialog.h"
#include "app/system_menu.h"
#include "jobs/delete_elements.h"
#include "jobs/delete_layer.h"
#include "jobs/replace_type.h"
#include "pipeline/convert_files.h"
#include "pomvelt_version.h"
#include "widgets/about_dialog.h"
#include "widgets/dialog_data.h"
#include "widgets/dialog_template.h"

namespace {

using D = CMainDialog;

// Dialog template 102, in template order.
constexpr TemplateControl kTemplate[] = {
    {ControlKind::kCheckBox, D::kIdDecompile, nullptr,
     "Декомпилировать карту (.img) в польский формат", 13, 29, 150, 21, 0},
    {ControlKind::kRadioButton, D::kIdTranslitToRussian, nullptr, "Translit => Русский", 23, 88, 84,
     10, kStartsGroup},
    {ControlKind::kRadioButton, D::kIdRussianToTranslit, nullptr, "Русский => Translit", 23, 103,
     82, 10, 0},
    {ControlKind::kRadioButton, D::kIdTranslitNone, nullptr, "Не переводить", 23, 119, 67, 10, 0},
    {ControlKind::kCheckBox, D::kIdLowerCase, nullptr,
     "Преобразовывать заглавные буквы в строчные (кроме первых в слове)", 23, 133, 130, 22, 0},
    {ControlKind::kCheckBox, D::kIdConvertInPlace, nullptr,
     "Делать конвертацию в оригинале (не создавать копию)", 23, 162, 130, 18, 0},
    {ControlKind::kCheckBox, D::kIdCompile, nullptr,
     "Компилировать карту (необходимо наличие файла cgpsmapper.exe)", 23, 221, 130, 24, 0},
    {ControlKind::kRadioButton, D::kIdReplaceInPolygons, nullptr, "в полигонах", 180, 42, 57, 10,
     kStartsGroup},
    {ControlKind::kRadioButton, D::kIdReplaceInLines, nullptr, "в линиях", 180, 58, 45, 10, 0},
    {ControlKind::kCheckBox, D::kIdReplaceInPlace, nullptr,
     "Делать замену в оригинале (не создавать копию)", 180, 71, 147, 21, 0},
    {ControlKind::kEdit, D::kIdReplaceFrom, nullptr, "", 291, 32, 35, 12, 0},
    {ControlKind::kEdit, D::kIdReplaceTo, nullptr, "", 291, 57, 35, 12, 0},
    {ControlKind::kPushButton, D::kIdReplaceTypes, nullptr, "Выбрать файл(ы) и произвести замену",
     181, 97, 147, 17, 0},
    {ControlKind::kLabel, 0, "labelDeleteKind", "Удалять:", 184, 144, 69, 8, 0},
    {ControlKind::kRadioButton, D::kIdDeletePolygons, nullptr, "полигоны", 183, 154, 49, 10,
     kStartsGroup},
    {ControlKind::kRadioButton, D::kIdDeleteLines, nullptr, "линии", 183, 164, 36, 10, 0},
    {ControlKind::kRadioButton, D::kIdDeletePoints, nullptr, "точки", 183, 175, 35, 10, 0},
    {ControlKind::kEdit, D::kIdDeleteType, nullptr, "", 291, 162, 35, 12, 0},
    {ControlKind::kCheckBox, D::kIdDeleteInPlace, nullptr,
     "Удалять элементы в оригинале (не делать копию)", 183, 185, 143, 21, 0},
    {ControlKind::kPushButton, D::kIdDeleteElements, nullptr, "Выбрать файл(ы) и удалить элементы",
     181, 212, 147, 17, 0},
    {ControlKind::kPushButton, D::kIdExit, nullptr, "Выход", 345, 291, 128, 14, 0},
    {ControlKind::kPushButton, D::kIdConvert, nullptr, "Выбрать файл(ы) и конвертировать", 13, 282,
     147, 17, 0},
    {ControlKind::kPushButton, D::kIdAbout, nullptr, "О программе", 345, 263, 128, 14, 0},
    {ControlKind::kLabel, 0, "heading",
     "Утилита для пакетной обработки карт в \"польском формате\" (формат используется "
     "программой GPSMapEdit)",
     7, 6, 465, 14, kAlignCentre},
    {ControlKind::kGroupBox, 0, "groupConversion", "Конвертация", 7, 20, 161, 285, 0},
    {ControlKind::kGroupBox, 0, "groupTranslation", "Перевод", 14, 77, 147, 131, 0},
    {ControlKind::kGroupBox, 0, "groupReplaceTypes", "Замена атрибутов", 175, 20, 161, 102, 0},
    {ControlKind::kLabel, 0, "labelReplaceKind", "Менять:", 180, 31, 53, 9, 0},
    {ControlKind::kLabel, 0, "labelReplaceFrom", "Атрибут:", 249, 34, 35, 8, kAlignRight},
    {ControlKind::kLabel, 0, "labelReplaceTo", "Заменить на атрибут:", 230, 52, 54, 18,
     kAlignRight},
    {ControlKind::kGroupBox, 0, "groupDeleteElements", "Удаление элементов", 175, 129, 161, 109, 0},
    {ControlKind::kLabel, 0, "labelDeleteType", "С атрибутом:", 280, 146, 46, 11, kAlignRight},
    {ControlKind::kGroupBox, 0, "groupDeleteLayer", "Удаление слоев", 176, 246, 160, 59, 0},
    {ControlKind::kPushButton, D::kIdDeleteLayer, nullptr, "Выбрать файл(ы) и удалить элементы",
     181, 282, 147, 17, 0},
    {ControlKind::kEdit, D::kIdLayer, nullptr, "", 292, 263, 35, 12, kDigitsOnly},
    {ControlKind::kLabel, 0, "labelLayer", "Удалять все элементы слоя:", 183, 265, 102, 8,
     kAlignRight},
    {ControlKind::kCheckBox, D::kIdDeleteMpAfterCompile, nullptr,
     "Удалять исходные файлы (.mp) после компиляции", 34, 245, 121, 24, 0},
    {ControlKind::kGroupBox, 0, "groupCompile", "Компиляция", 14, 212, 147, 60, 0},
    {ControlKind::kCheckBox, D::kIdMakeFileList, nullptr, "Создавать список файлов", 23, 187, 105,
     10, 0},
    {ControlKind::kGroupBox, 0, "groupEurasia", "Евразия", 345, 20, 126, 48, 0},
    {ControlKind::kRadioButton, D::kIdDecompileCgpsmapper, nullptr, "cgpsmapper", 13, 57, 52, 10,
     kStartsGroup},
    {ControlKind::kRadioButton, D::kIdDecompileGpsMapEdit, nullptr, "GPSMapEdit (всю директорию)",
     71, 49, 92, 26, 0},
    {ControlKind::kPushButton, D::kIdSearchReplace, nullptr, "Поиск и замена...", 355, 123, 108, 17,
     0},
    {ControlKind::kPushButton, D::kIdEurasia, nullptr, "Утилиты для \"Евразии\"...", 355, 38, 108,
     17, 0},
    {ControlKind::kGroupBox, 0, "groupSearchReplace", "Поиск и замена", 346, 78, 128, 77, 0},
    {ControlKind::kLabel, 0, "labelSearchReplace", "Поиск и замена произвольной строки", 353, 93,
     114, 16, 0},
};

constexpr int kTemplateWidth = 480;
constexpr int kTemplateHeight = 312;

}  // namespace

CMainDialog::CMainDialog(QWidget* parent)
    : JobDialog(parent), template_(this, kTemplateWidth, kTemplateHeight, kTemplate) {
  setWindowTitle(QString::fromUtf8(pomvelt::kVersionText));
  setWindowIcon(PomveltIcon());
  ConnectControls();
  UpdateData(false);

  aboutAction_ = new QAction(QString::fromUtf8(kAboutMenuText), this);
  aboutAction_->setObjectName(QStringLiteral("aboutAction"));
  connect(aboutAction_, &QAction::triggered, this, &CMainDialog::OnAbout);
  addAction(aboutAction_);
  if (!AppendAboutToSystemMenu(this)) setContextMenuPolicy(Qt::ActionsContextMenu);

  OnDecompileClicked();
  OnTranslitNone();
  OnCompileClicked();
  Control(kIdDecompile)->setFocus();
}

CMainDialog::~CMainDialog() {
  WaitForJob();
}

void CMainDialog::ConnectControls() {
  const auto onClick = [this](int id, void (CMainDialog::*handler)()) {
    connect(static_cast<QAbstractButton*>(Control(id)), &QAbstractButton::clicked, this, handler);
  };
  onClick(kIdTranslitNone, &CMainDialog::OnTranslitNone);
  onClick(kIdTranslitToRussian, &CMainDialog::OnTranslitOn);
  onClick(kIdRussianToTranslit, &CMainDialog::OnTranslitOn);
  onClick(kIdDecompile, &CMainDialog::OnDecompileClicked);
  onClick(kIdCompile, &CMainDialog::OnCompileClicked);
  onClick(kIdConvert, &CMainDialog::OnConvert);
  onClick(kIdReplaceTypes, &CMainDialog::OnReplaceTypes);
  onClick(kIdDeleteElements, &CMainDialog::OnDeleteElements);
  onClick(kIdDeleteLayer, &CMainDialog::OnDeleteLayer);
  onClick(kIdSearchReplace, &CMainDialog::OnSearchReplace);
  onClick(kIdEurasia, &CMainDialog::OnEurasia);
  onClick(kIdAbout, &CMainDialog::OnAbout);
  onClick(kIdExit, &QDialog::reject);
}

void CMainDialog::DoDataExchange(DataExchange& dx) {
  const auto edit = [this](int id) { return static_cast<QLineEdit*>(Control(id)); };
  const auto box = [this](int id) { return static_cast<QAbstractButton*>(Control(id)); };
  const auto radio = [this](int firstId) { return template_.RadioGroup(firstId); };
  pomvelt::MainOptions& o = m_options;
  dx.Radio(radio(kIdReplaceInPolygons), o.m_nReplaceKind);
  dx.Text(edit(kIdReplaceFrom), o.m_strReplaceFrom);
  dx.Text(edit(kIdReplaceTo), o.m_strReplaceTo);
  dx.Check(box(kIdReplaceInPlace), o.m_bReplaceInPlace);
  dx.Check(box(kIdConvertInPlace), o.m_bConvertInPlace);
  dx.Check(box(kIdDeleteInPlace), o.m_bDeleteInPlace);
  dx.Text(edit(kIdDeleteType), o.m_strDeleteType);
  dx.Radio(radio(kIdDeletePolygons), o.m_nDeleteKind);
  dx.Check(box(kIdLowerCase), o.m_bLowerCase);
  dx.Check(box(kIdCompile), o.m_bCompile);
  dx.Check(box(kIdDecompile), o.m_bDecompile);
  dx.Radio(radio(kIdTranslitToRussian), o.m_nTranslit);
  dx.Text(edit(kIdLayer), o.m_strLayer);
  dx.Check(box(kIdDeleteMpAfterCompile), o.m_bDeleteMpAfterCompile);
  dx.Check(box(kIdMakeFileList), o.m_bMakeFileList);
  dx.Radio(radio(kIdDecompileCgpsmapper), o.m_nDecompiler);
}

void CMainDialog::EnableControls(std::initializer_list<int> ids, bool enable) {
  for (int id : ids) Control(id)->setEnabled(enable);
}

void CMainDialog::OnTranslitNone() {
  UpdateData(true);
  EnableControls({kIdLowerCase, kIdConvertInPlace, kIdMakeFileList}, false);
}

void CMainDialog::OnTranslitOn() {
  UpdateData(true);
  EnableControls({kIdLowerCase, kIdConvertInPlace, kIdMakeFileList}, true);
}

void CMainDialog::OnDecompileClicked() {
  UpdateData(true);
  EnableControls({kIdDecompileCgpsmapper, kIdDecompileGpsMapEdit}, m_options.m_bDecompile == 1);
}

void CMainDialog::OnCompileClicked() {
  UpdateData(true);
  EnableControls({kIdDeleteMpAfterCompile}, m_options.m_bCompile == 1);
}

void CMainDialog::OnConvert() {
  StartThreadedJob(
      [this](pomvelt::JobHost& host) { pomvelt::ConvertFiles(m_options, m_conversion, host); });
}

void CMainDialog::OnReplaceTypes() {
  StartThreadedJob([this](pomvelt::JobHost& host) { pomvelt::ReplaceTypeJob(m_options, host); });
}

void CMainDialog::OnDeleteElements() {
  StartThreadedJob([this](pomvelt::JobHost& host) { pomvelt::DeleteElementsJob(m_options, host); });
}

// The one command that runs inside its handler: the dialog stays enabled but takes no input
// until the job has ended. The progress window paints itself after each change meanwhile.
void CMainDialog::OnDeleteLayer() {
  RunJobOnGuiThread([this](pomvelt::JobHost& host) { pomvelt::DeleteLayerJob(m_options, host); });
}

void CMainDialog::OnSearchReplace() {
  CSearchReplaceDialog dialog(this);
  dialog.jobs().host().CopyHooks(jobs().host());
  dialog.exec();
}

void CMainDialog::OnEurasia() {
  CEurasiaDialog dialog(this);
  dialog.jobs().host().CopyHooks(jobs().host());
  dialog.exec();
}

void CMainDialog::OnAbout() {
  CAboutDialog about(this);
  about.exec();
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
  // Enter while no push button has the focus (a focused one takes Enter itself) ends the
  // program, as it always has in this dialog without a default button.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

#ifdef Q_OS_WIN
bool CMainDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  if (IsAboutSystemCommand(message)) {
    OnAbout();
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(eventType, message, result);
}
#endif
