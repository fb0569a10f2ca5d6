#include "app/main_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/pomvelt_app.h"
#include "app/result_windows.h"
#include "app/secondary_dialogs.h"
#include "app/settings.h"
#include "jobs/type_rules.h"
#include "pipeline/process_runner.h"
#include "pomvelt_version.h"
#include "widgets/x_file_dialog.h"

namespace {

QLabel* NewLabel(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel(text);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

// Type codes and level numbers are short: the edits need not stretch.
QLineEdit* FitCode(QLineEdit* edit) {
  edit->setFixedWidth(edit->fontMetrics().averageCharWidth() * 9);
  return edit;
}

// Every group's rows close together, so that the window fits a small screen at a large scale.
template <class Layout>
Layout* Tight(Layout* layout) {
  layout->setSpacing(2);
  layout->setContentsMargins(6, 2, 6, 4);
  return layout;
}

}  // namespace

CMainDialog::CMainDialog(QWidget* parent) : JobDialog(parent, QStringLiteral("main")) {
  setWindowTitle(QString::fromUtf8(pomvelt::kVersionText));
  setWindowIcon(CPomveltApp::Icon());
  setAcceptDrops(true);

  auto* heading = NewLabel(tr("Утилита для пакетной обработки карт в \"польском формате\" "
                              "(формат используется программой GPSMapEdit)"),
                           Qt::AlignHCenter);
  heading->setWordWrap(true);
  auto* middle = new QVBoxLayout;
  middle->addWidget(BuildReplaceTypes());
  middle->addWidget(BuildDeleteElements());
  middle->addWidget(BuildDeleteLayer());
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildConversion());
  columns->addLayout(middle);
  columns->addLayout(BuildOthers());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  layout->addWidget(heading);
  layout->addLayout(columns);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  SetTabOrder(c_.decompile, c_.translitToRussian, c_.russianToTranslit, c_.translitNone,
              c_.lowerCase, c_.convertInPlace, c_.compile, c_.replaceInPolygons, c_.replaceInLines,
              c_.replaceInPlace, c_.replaceFrom, c_.replaceTo, c_.replaceTypes, c_.deletePolygons,
              c_.deleteLines, c_.deletePoints, c_.deleteType, c_.deleteInPlace, c_.deleteElements,
              c_.exit, c_.convert, c_.about, c_.settings, c_.deleteLayer, c_.layer, c_.keepWhole,
              c_.deleteMpAfterCompile, c_.makeFileList, c_.cgpsmapper, c_.gpsMapEdit,
              c_.searchReplace, c_.recode, c_.eurasia, c_.stats, c_.check, c_.rules);

  aboutAction_ =
      addAction(QStringLiteral("&About Pomvelt..."), this, [this] { CAboutDialog(this).exec(); });
  undoAction_ = addAction(tr("Отменить последнюю операцию"), this, [this] {
    host().MessageBox(JoinedLines(LastUndo::Instance().Restore()));
  });
  setContextMenuPolicy(Qt::ActionsContextMenu);
  ConnectControls();

  BindOptions();
  const QVariant position = PomveltSettings().value(kPositionKey);
  if (position.isValid()) move(position.toPoint());

  UpdateEnabling();
  c_.decompile->setFocus();
}

QWidget* CMainDialog::BuildConversion() {
  c_.decompile = new QCheckBox(tr("Декомпилировать карту (.img)\nв польский формат"));
  c_.cgpsmapper = new QRadioButton(QStringLiteral("cgpsmapper"));
  c_.gpsMapEdit = new QRadioButton(tr("GPSMapEdit\n(всю директорию)"));
  decompilerGroup_.Add({c_.cgpsmapper, c_.gpsMapEdit});
  auto* decompilers = new QHBoxLayout;
  decompilers->addWidget(c_.cgpsmapper);
  decompilers->addWidget(c_.gpsMapEdit);

  c_.translitToRussian = new QRadioButton(QStringLiteral("Translit => Русский"));
  c_.russianToTranslit = new QRadioButton(QStringLiteral("Русский => Translit"));
  c_.translitNone = new QRadioButton(tr("Не переводить"));
  c_.lowerCase =
      new QCheckBox(tr("Преобразовывать заглавные буквы\nв строчные (кроме первых в слове)"));
  c_.convertInPlace = new QCheckBox(tr("Делать конвертацию в оригинале\n(не создавать копию)"));
  c_.makeFileList = new QCheckBox(tr("Создавать список файлов"));
  auto* translation = new QGroupBox(tr("Перевод"));
  auto* translationLayout = Tight(new QVBoxLayout(translation));
  translitGroup_.Add({c_.translitToRussian, c_.russianToTranslit, c_.translitNone});
  for (QWidget* w :
       std::initializer_list<QWidget*>{c_.translitToRussian, c_.russianToTranslit, c_.translitNone,
                                       c_.lowerCase, c_.convertInPlace, c_.makeFileList}) {
    translationLayout->addWidget(w);
  }

  c_.compile = new QCheckBox(tr("Компилировать карту (необходимо\nналичие файла cgpsmapper.exe)"));
  c_.deleteMpAfterCompile = new QCheckBox(tr("Удалять исходные файлы (.mp)\nпосле компиляции"));
  auto* compilation = new QGroupBox(tr("Компиляция"));
  auto* compilationLayout = Tight(new QGridLayout(compilation));
  compilationLayout->addWidget(c_.compile, 0, 0, 1, 2);
  compilationLayout->setColumnMinimumWidth(0, c_.compile->fontMetrics().averageCharWidth() * 2);
  compilationLayout->addWidget(c_.deleteMpAfterCompile, 1, 1);

  c_.convert = new QPushButton(tr("Выбрать файл(ы) и конвертировать"));
  auto* box = new QGroupBox(tr("Конвертация"));
  auto* layout = Tight(new QVBoxLayout(box));
  layout->addWidget(c_.decompile);
  layout->addLayout(decompilers);
  layout->addWidget(translation);
  layout->addWidget(compilation);
  layout->addStretch();
  layout->addWidget(c_.convert);
  return box;
}

QWidget* CMainDialog::BuildReplaceTypes() {
  c_.replaceInPolygons = new QRadioButton(tr("в полигонах"));
  c_.replaceInLines = new QRadioButton(tr("в линиях"));
  replaceKindGroup_.Add({c_.replaceInPolygons, c_.replaceInLines});
  c_.replaceFrom = FitCode(NewEdit());
  c_.replaceTo = FitCode(NewEdit());
  c_.replaceInPlace = new QCheckBox(tr("Делать замену в оригинале\n(не создавать копию)"));
  c_.replaceTypes = new QPushButton(tr("Выбрать файл(ы) и произвести замену"));
  auto* box = new QGroupBox(tr("Замена атрибутов"));
  auto* grid = Tight(new QGridLayout(box));
  grid->addWidget(NewLabel(tr("Менять:")), 0, 0);
  grid->addWidget(c_.replaceInPolygons, 1, 0);
  grid->addWidget(c_.replaceInLines, 2, 0);
  grid->addWidget(NewLabel(tr("Атрибут:"), Qt::AlignRight), 0, 1);
  grid->addWidget(c_.replaceFrom, 0, 2);
  grid->addWidget(NewLabel(tr("Заменить на атрибут:"), Qt::AlignRight), 1, 1, 2, 1);
  grid->addWidget(c_.replaceTo, 1, 2, 2, 1);
  grid->addWidget(c_.replaceInPlace, 3, 0, 1, 3);
  grid->addWidget(c_.replaceTypes, 4, 0, 1, 3);
  return box;
}

QWidget* CMainDialog::BuildDeleteElements() {
  c_.deletePolygons = new QRadioButton(tr("полигоны"));
  c_.deleteLines = new QRadioButton(tr("линии"));
  c_.deletePoints = new QRadioButton(tr("точки"));
  c_.deleteType = FitCode(NewEdit());
  c_.deleteInPlace = new QCheckBox(tr("Удалять элементы в оригинале\n(не делать копию)"));
  c_.deleteElements = new QPushButton(tr("Выбрать файл(ы) и удалить элементы"));
  auto* box = new QGroupBox(tr("Удаление элементов"));
  auto* grid = Tight(new QGridLayout(box));
  grid->addWidget(NewLabel(tr("Удалять:")), 0, 0);
  deleteKindGroup_.Add({c_.deletePolygons, c_.deleteLines, c_.deletePoints});
  grid->addWidget(c_.deletePolygons, 1, 0);
  grid->addWidget(c_.deleteLines, 2, 0);
  grid->addWidget(c_.deletePoints, 3, 0);
  grid->addWidget(NewLabel(tr("С атрибутом:"), Qt::AlignRight), 0, 1);
  grid->addWidget(c_.deleteType, 1, 1, Qt::AlignRight);
  grid->addWidget(c_.deleteInPlace, 4, 0, 1, 2);
  grid->addWidget(c_.deleteElements, 5, 0, 1, 2);
  return box;
}

QWidget* CMainDialog::BuildDeleteLayer() {
  c_.layer = FitCode(NewEdit(true));
  c_.keepWhole = new QCheckBox(tr("сохранять остальные элементы целиком"));
  c_.deleteLayer = new QPushButton(tr("Выбрать файл(ы) и удалить элементы"));
  auto* box = new QGroupBox(tr("Удаление слоев"));
  auto* grid = Tight(new QGridLayout(box));
  grid->addWidget(NewLabel(tr("Удалять все элементы слоя:"), Qt::AlignRight), 0, 0);
  grid->addWidget(c_.layer, 0, 1);
  grid->addWidget(c_.keepWhole, 1, 0, 1, 2);
  grid->addWidget(c_.deleteLayer, 2, 0, 1, 2);
  return box;
}

QLayout* CMainDialog::BuildOthers() {
  c_.eurasia = new QPushButton(tr("Утилиты для \"Евразии\"..."));
  auto* eurasia = new QGroupBox(tr("Евразия"));
  Tight(new QVBoxLayout(eurasia))->addWidget(c_.eurasia);

  c_.searchReplace = new QPushButton(tr("Поиск и замена..."));
  auto* searchReplace = new QGroupBox(tr("Поиск и замена"));
  auto* searchLayout = Tight(new QVBoxLayout(searchReplace));
  QLabel* text = NewLabel(tr("Поиск и замена произвольной строки"));
  text->setWordWrap(true);
  searchLayout->addWidget(text);
  searchLayout->addWidget(c_.searchReplace);
  c_.recode = new QPushButton(tr("Перекодировка..."));
  searchLayout->addWidget(c_.recode);

  c_.stats = new QPushButton(tr("Статистика..."));
  c_.check = new QPushButton(tr("Проверка..."));
  c_.rules = new QPushButton(tr("Правила..."));
  auto* maps = new QGroupBox(tr("Анализ и правила"));
  auto* mapsLayout = Tight(new QGridLayout(maps));
  mapsLayout->addWidget(c_.stats, 0, 0);
  mapsLayout->addWidget(c_.check, 0, 1);
  mapsLayout->addWidget(c_.rules, 1, 0, 1, 2);

  c_.dropped = NewLabel(QString());
  c_.dropped->setWordWrap(true);
  c_.dropped->hide();
  c_.settings = new QPushButton(tr("Настройки..."));
  c_.about = new QPushButton(tr("О программе"));
  c_.exit = new QPushButton(tr("Выход"));
  auto* layout = new QVBoxLayout;
  layout->addWidget(eurasia);
  layout->addWidget(searchReplace);
  layout->addWidget(maps);
  layout->addStretch();
  for (QWidget* widget :
       std::initializer_list<QWidget*>{c_.dropped, c_.settings, c_.about, c_.exit}) {
    layout->addWidget(widget);
  }
  return layout;
}

void CMainDialog::BindOptions() {
  const pomvelt::ConvertOptions convert;
  const pomvelt::ReplaceTypeOptions replace;
  const pomvelt::DeleteElementsOptions deletion;
  const pomvelt::DeleteLayerOptions layer;
  Bind("replaceKind", &replaceKindGroup_, static_cast<int>(replace.kind));
  Bind("replaceFrom", c_.replaceFrom, QString::fromStdString(replace.fromCode));
  Bind("replaceTo", c_.replaceTo, QString::fromStdString(replace.toCode));
  Bind("replaceInPlace", c_.replaceInPlace, replace.inPlace);
  Bind("convertInPlace", c_.convertInPlace, convert.inPlace);
  Bind("deleteInPlace", c_.deleteInPlace, deletion.inPlace);  // also layer deletion's
  Bind("deleteType", c_.deleteType, QString::fromStdString(deletion.typeCode));
  Bind("deleteKind", &deleteKindGroup_, static_cast<int>(deletion.kind));
  Bind("lowerCase", c_.lowerCase, convert.lowerCase);
  Bind("compile", c_.compile, convert.compile);
  Bind("decompile", c_.decompile, convert.decompile);
  Bind("translit", &translitGroup_, static_cast<int>(convert.translation));
  Bind("layer", c_.layer, QString::fromStdString(layer.layer));
  Bind("keepWhole", c_.keepWhole, layer.kept == pomvelt::KeptForm::kWhole);
  Bind("deleteMpAfterCompile", c_.deleteMpAfterCompile, convert.deleteMpAfterCompile);
  Bind("makeFileList", c_.makeFileList, convert.namesList);
  Bind("decompiler", &decompilerGroup_, static_cast<int>(convert.decompiler));
}

pomvelt::ConvertOptions CMainDialog::ConversionOptions() const {
  pomvelt::ConvertOptions o;
  o.decompile = c_.decompile->isChecked();
  o.decompiler = decompilerGroup_.Chosen(pomvelt::Decompiler::kCgpsmapper);
  o.translation = translitGroup_.Chosen(pomvelt::Translation::kNone);
  o.lowerCase = c_.lowerCase->isChecked();
  o.inPlace = c_.convertInPlace->isChecked();
  o.namesList = c_.makeFileList->isChecked();
  o.compile = c_.compile->isChecked();
  o.deleteMpAfterCompile = c_.deleteMpAfterCompile->isChecked();
  return o;
}

pomvelt::ReplaceTypeOptions CMainDialog::ReplaceOptions() const {
  return {replaceKindGroup_.Chosen(pomvelt::ElementKind::kPolygon),
          c_.replaceFrom->text().toStdString(), c_.replaceTo->text().toStdString(),
          c_.replaceInPlace->isChecked()};
}

pomvelt::DeleteElementsOptions CMainDialog::DeletionOptions() const {
  return {deleteKindGroup_.Chosen(pomvelt::ElementKind::kPolygon),
          c_.deleteType->text().toStdString(), c_.deleteInPlace->isChecked()};
}

pomvelt::DeleteLayerOptions CMainDialog::LayerOptions() const {
  return {c_.layer->text().toStdString(), c_.deleteInPlace->isChecked(),
          c_.keepWhole->isChecked() ? pomvelt::KeptForm::kWhole : pomvelt::KeptForm::kReduced};
}

void CMainDialog::ConnectControls() {
  const auto onClick = [this](QAbstractButton* button, void (CMainDialog::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, handler);
  };
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           c_.translitNone, c_.translitToRussian, c_.russianToTranslit, c_.decompile, c_.compile}) {
    onClick(button, &CMainDialog::UpdateEnabling);
  }
  onClick(c_.convert, &CMainDialog::OnConvert);
  const auto onMapEdit = [this](QPushButton* button, auto options, auto command) {
    connect(button, &QPushButton::clicked, this, [this, options, command] {
      RunCommand(pomvelt::MapEditDialogParams(), (this->*options)(), command);
    });
  };
  onMapEdit(c_.replaceTypes, &CMainDialog::ReplaceOptions, pomvelt::ReplaceTypeJob);
  onMapEdit(c_.deleteElements, &CMainDialog::DeletionOptions, pomvelt::DeleteElementsJob);
  onMapEdit(c_.deleteLayer, &CMainDialog::LayerOptions, pomvelt::DeleteLayerJob);
  onClick(c_.searchReplace, &CMainDialog::OpenJobDialog<CSearchReplaceDialog>);
  onClick(c_.eurasia, &CMainDialog::OpenJobDialog<CEurasiaDialog>);
  onClick(c_.recode, &CMainDialog::OpenJobDialog<CRecodeDialog>);
  connect(c_.stats, &QPushButton::clicked, this, [this] {
    ShowFound<CStatsWindow, MapStatsOfFile>(
        [](const std::string& path, QtJobHost& host) { return pomvelt::StatsOfFile(path, host); });
  });
  connect(c_.check, &QPushButton::clicked, this, [this] {
    ShowFound<CCheckWindow, DiagnosticsOfFile>(
        [](const std::string& path, QtJobHost& host) { return pomvelt::CheckFile(path, host); });
  });
  onClick(c_.rules, &CMainDialog::OnRules);
  connect(c_.settings, &QPushButton::clicked, this, [this] { CSettingsDialog(this).exec(); });
  connect(c_.about, &QPushButton::clicked, aboutAction_, &QAction::trigger);
  connect(c_.exit, &QPushButton::clicked, this, &QDialog::reject);
  // The dropped maps went to the command's file dialog.
  connect(this, &JobDialog::jobFinished, c_.dropped, &QWidget::hide);
}

void CMainDialog::done(int result) {
  if (IsRunning()) return;
  PomveltSettings store;
  store.setValue(kPositionKey, pos());
  store.setValue(kFolderKey, CXFileDialog::lastFolder);
  JobDialog::done(result);
}

void CMainDialog::UpdateEnabling() {
  const bool translate = c_.translitToRussian->isChecked() || c_.russianToTranslit->isChecked();
  for (QWidget* w : {c_.lowerCase, c_.convertInPlace, c_.makeFileList}) w->setEnabled(translate);
  for (QWidget* w : {c_.cgpsmapper, c_.gpsMapEdit}) w->setEnabled(c_.decompile->isChecked());
  c_.deleteMpAfterCompile->setEnabled(c_.compile->isChecked());
}

void CMainDialog::OnConvert() {
  pomvelt::ConvertOptions options = ConversionOptions();
  // POMVELT_COMPILER, when set, wins over the setting (and its arguments, which belong to the
  // compiler of the setting): an empty choice lets the job read it.
  if (qEnvironmentVariableIsEmpty(pomvelt::kCompilerEnvironmentVariable)) {
    const PomveltSettings settings;
    options.compiler = settings.value(kCompilerKey).toString().toStdString();
    for (const QString& argument :
         QProcess::splitCommand(settings.value(kCompilerArgumentsKey).toString())) {
      options.compilerArgs.push_back(argument.toStdString());
    }
  }
  RunOnChosenFiles(pomvelt::ConvertDialogParams(options),
                   [options, conversion = conversion_](const auto& files, QtJobHost& host) {
                     pomvelt::ConvertFiles(options, files, *conversion, host.Batch());
                   });
}

// What a statistics or check run found is shown in its window once the job has read the maps.
template <class Window, class OfFile, class Read>
void CMainDialog::ShowFound(Read read) {
  RunOnChosenFiles(
      pomvelt::MapEditDialogParams(), [this, read](const auto& files, QtJobHost& host) {
        std::vector<OfFile> found;
        ReadEachFile(host, files, [&](const std::string& path) {
          auto result = read(path, host);
          if (result) found.push_back({path, std::move(*result)});
          return result.has_value();
        });
        QMetaObject::invokeMethod(this, [this, found] { (new Window(this, found))->show(); });
      });
}

void CMainDialog::OnRules() {
  // The rules file first: with an error in it no map is even asked for.
  StartThreadedJob([](QtJobHost& host) {
    const auto rulesFile = host.ChooseFiles(pomvelt::RulesFileDialogParams());
    if (!rulesFile || rulesFile->empty()) return;
    auto read = pomvelt::ReadTypeRules(rulesFile->front());
    if (const auto* errors = std::get_if<std::vector<std::string>>(&read)) {
      host.MessageBox(JoinedLines(*errors));
      return;
    }
    pomvelt::TypeRulesOptions options;
    options.rules = std::move(std::get<std::vector<pomvelt::TypeRule>>(read));
    if (const auto files = host.ChooseFiles(pomvelt::MapEditDialogParams())) {
      pomvelt::ApplyTypeRulesJob(options, *files, host.Batch());
    }
  });
}

template <class Dialog>
void CMainDialog::OpenJobDialog() {
  Dialog dialog(this);
  dialog.host().chooser = host().chooser;
  dialog.host().shower = host().shower;
  dialog.exec();
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

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainDialog::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) paths << url.toLocalFile();
  }
  if (paths.isEmpty()) return;
  // Offered selected in the next command's file dialog.
  CXFileDialog::preselected = paths;
  c_.dropped->setText(tr("Карт для следующей команды: %1").arg(paths.size()));
  c_.dropped->show();
  event->acceptProposedAction();
}
