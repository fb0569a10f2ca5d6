#include "app/secondary_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/settings.h"
#include "pomvelt_version.h"

CSearchReplaceDialog::CSearchReplaceDialog(QWidget* parent)
    : JobDialog(parent, QStringLiteral("searchReplace")) {
  setWindowTitle(tr("Поиск и замена строки (любой)"));
  auto* warning =
      new QLabel(tr("Эта функция не следит за целостностью элементов и при неаккуратных действиях "
                    "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
                    "эксперименты настоятельно рекомендую производить на копиях."));
  warning->setWordWrap(true);
  m_find = new QLineEdit;
  m_replace = new QLineEdit;
  m_chooseAndReplace = new QPushButton(tr("Выбрать файлы и конвертировать"));
  m_chooseAndReplace->setMinimumHeight(m_chooseAndReplace->sizeHint().height() * 3 / 2);
  m_close = NewCloseButton();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(warning);
  layout->addWidget(new QLabel(tr("Строка для поиска")));
  layout->addWidget(m_find);
  layout->addWidget(new QLabel(tr("Строка для замены")));
  layout->addWidget(m_replace);
  layout->addWidget(m_chooseAndReplace);
  layout->addWidget(m_close, 0, Qt::AlignRight);
  // As wide as the warning reads well, and no wider.
  warning->setFixedWidth(warning->fontMetrics().averageCharWidth() * 56);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  SetTabOrder(m_find, m_replace, m_chooseAndReplace, m_close);

  const pomvelt::SearchReplaceOptions defaults;
  Bind("find", m_find, QString::fromStdString(defaults.find));
  Bind("replace", m_replace, QString::fromStdString(defaults.replace));
  connect(m_chooseAndReplace, &QPushButton::clicked, this, [this] {
    // Always in place: the dialog has no choice of a copy.
    const pomvelt::SearchReplaceOptions options{m_find->text().toStdString(),
                                                m_replace->text().toStdString(), true};
    RunCommand(pomvelt::SearchReplaceDialogParams(), options, pomvelt::SearchReplaceJob);
  });
  m_find->setFocus();
  m_find->selectAll();
}

CEurasiaDialog::CEurasiaDialog(QWidget* parent) : JobDialog(parent, QStringLiteral("eurasia")) {
  setWindowTitle(tr("Набор карт \"Евразия\""));
  auto* about = new QLabel(
      tr("В сети можно найти набор карт под названием \"Евразия\". Большое покрытие, но самые "
         "первые слои почти у всех файлов пустые и поэтому в приборе при определенном "
         "приближении экран навигатора будет пуст."));
  auto* offer =
      new QLabel(tr(" Поэтому предлагаются для этого набора карт на выбор следующие действия:"));
  for (QLabel* label : {about, offer}) {
    label->setWordWrap(true);
    label->setFixedWidth(label->fontMetrics().averageCharWidth() * 30);
  }
  m_removeLevels =
      new QRadioButton(tr("Удалить слои 0 и 1 (подробные\nкарты городов будут утрачены)"));
  m_fillLevels = new QRadioButton(
      tr("Заполнить слои 0 и 1 копированием\nобъектов ближайшего непустого\nслоя (увеличится "
         "размер)"));
  m_keepWhole = new QCheckBox(tr("сохранять остальные элементы целиком"));
  actionGroup_.Add({m_removeLevels, m_fillLevels});
  m_makeTdbList = new QCheckBox(tr("Сделать список для tdb"));
  m_chooseAndConvert = new QPushButton(tr("Выбрать файлы и сконвертировать"));
  m_close = NewCloseButton();

  auto* grid = new QGridLayout(this);
  grid->addWidget(about, 0, 0);
  grid->addWidget(offer, 1, 0, 2, 1, Qt::AlignTop);
  // Under the removal it belongs to, indented as a choice that depends on it.
  auto* keepWhole = new QHBoxLayout;
  keepWhole->addSpacing(m_keepWhole->fontMetrics().averageCharWidth() * 3);
  keepWhole->addWidget(m_keepWhole);
  auto* removal = new QVBoxLayout;
  removal->setSpacing(2);
  removal->addWidget(m_removeLevels);
  removal->addLayout(keepWhole);
  grid->addLayout(removal, 0, 1);
  grid->addWidget(m_fillLevels, 1, 1);
  grid->addWidget(m_makeTdbList, 2, 1);
  grid->addWidget(m_chooseAndConvert, 3, 0, 1, 2);
  grid->addWidget(m_close, 4, 1, Qt::AlignRight);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  SetTabOrder(m_close, m_removeLevels, m_keepWhole, m_fillLevels, m_makeTdbList,
              m_chooseAndConvert);

  Bind("action", &actionGroup_, -1);
  Bind("makeTdbList", m_makeTdbList, false);
  Bind("keepWhole", m_keepWhole, false);
  // Only level removal keeps or reduces elements.
  m_keepWhole->setEnabled(m_removeLevels->isChecked());
  connect(m_removeLevels, &QRadioButton::toggled, m_keepWhole, &QWidget::setEnabled);
  connect(m_chooseAndConvert, &QPushButton::clicked, this, [this] {
    RunOnChosenFiles(pomvelt::EurasiaDialogParams(),
                     [options = Options(), list = listFile_](const auto& files, QtJobHost& host) {
                       pomvelt::EurasiaJob(options, files, *list, host.Batch());
                     });
  });
  m_close->setFocus();
}

pomvelt::EurasiaOptions CEurasiaDialog::Options() const {
  pomvelt::EurasiaOptions options;
  options.action = m_removeLevels->isChecked() ? pomvelt::EurasiaAction::kRemoveLevels
                   : m_fillLevels->isChecked() ? pomvelt::EurasiaAction::kFillLevels
                                               : pomvelt::EurasiaAction::kNone;
  options.makeTdbList = m_makeTdbList->isChecked();
  if (m_keepWhole->isChecked()) options.kept = pomvelt::KeptForm::kWhole;
  return options;
}

CRecodeDialog::CRecodeDialog(QWidget* parent) : JobDialog(parent, QStringLiteral("recode")) {
  setWindowTitle(tr("Перекодировка карт"));
  m_page = new QComboBox;
  for (int page : pomvelt::kSupportedCodePages) {
    m_page->addItem(page == 65001 ? QStringLiteral("65001 (UTF-8)") : QString::number(page), page);
  }
  m_replaceMissing = new QCheckBox(tr("Заменять знаки, которых нет в кодировке, на \"?\""));
  m_recodeInPlace = new QCheckBox(tr("Перекодировать в оригинале (не создавать копию)"));
  m_chooseAndRecode = new QPushButton(tr("Выбрать файлы и перекодировать"));
  m_close = NewCloseButton();
  auto* form = new QFormLayout(this);
  form->addRow(tr("Кодировка:"), m_page);
  form->addRow(m_replaceMissing);
  form->addRow(m_recodeInPlace);
  form->addRow(m_chooseAndRecode);
  form->addRow(QString(), m_close);
  form->setSizeConstraint(QLayout::SetFixedSize);
  const pomvelt::RecodeOptions defaults;
  Bind("page", m_page, defaults.to.number());
  Bind("replaceMissing", m_replaceMissing, defaults.replaceMissing);
  Bind("inPlace", m_recodeInPlace, defaults.inPlace);
  connect(m_chooseAndRecode, &QPushButton::clicked, this, [this] {
    const pomvelt::RecodeOptions options{pomvelt::CodePage(m_page->currentData().toInt()),
                                         m_replaceMissing->isChecked(),
                                         m_recodeInPlace->isChecked()};
    RunCommand(pomvelt::MapEditDialogParams(), options, pomvelt::RecodeJob);
  });
  m_page->setFocus();
}

CSettingsDialog::CSettingsDialog(QWidget* parent) : QDialog(parent, kDialogFlags) {
  setWindowTitle(tr("Настройки"));
  m_language = new QComboBox;
  m_language->addItem(tr("Как в системе"), QString());
  m_language->addItem(QStringLiteral("Русский"), QStringLiteral("ru"));
  m_language->addItem(QStringLiteral("English"), QStringLiteral("en"));
  const PomveltSettings settings;
  m_language->setCurrentIndex(std::max(0, m_language->findData(settings.value(kLanguageKey))));

  const QString program = settings.value(kCompilerKey).toString();
  m_compiler = new QComboBox;
  m_compiler->setEditable(true);
  m_compiler->addItems({QStringLiteral("cgpsmapper"), QStringLiteral("mkgmap")});
  m_compiler->setCurrentText(program.isEmpty() ? QStringLiteral("cgpsmapper") : program);
  m_compiler->setMinimumContentsLength(30);
  m_arguments = new QLineEdit(settings.value(kCompilerArgumentsKey).toString());
  m_undo = new QCheckBox(tr("Сохранять оригиналы для отмены операции"));
  m_undo->setChecked(settings.value(kUndoKey, true).toBool());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout(this);
  form->addRow(tr("Язык (со следующего запуска):"), m_language);
  form->addRow(tr("Компилятор:"), m_compiler);
  form->addRow(tr("Его дополнительные параметры:"), m_arguments);
  form->addRow(m_undo);
  form->addRow(buttons);
  form->setSizeConstraint(QLayout::SetFixedSize);
}

void CSettingsDialog::accept() {
  PomveltSettings settings;
  settings.setValue(kLanguageKey, m_language->currentData());
  settings.setValue(kCompilerKey, m_compiler->currentText().trimmed());
  settings.setValue(kCompilerArgumentsKey, m_arguments->text().trimmed());
  settings.setValue(kUndoKey, m_undo->isChecked());
  QDialog::accept();
}

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent, kDialogFlags) {
  setWindowTitle(QStringLiteral("About Pomvelt"));
  auto* icon = new QLabel;
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(windowIcon().pixmap(32, 32));  // the application's

  m_link = new QLabel;
  m_link->setTextFormat(Qt::RichText);
  m_link->setOpenExternalLinks(false);
  m_link->setCursor(Qt::PointingHandCursor);
  m_link->setToolTip(tr("Открыть сайт"));
  // The tooltip's own colours: a yellow ground with black text.
  m_link->setStyleSheet(QStringLiteral("QToolTip { background: rgb(253, 221, 2); color: black; }"));
  connect(m_link, &QLabel::linkHovered, this, [this](const QString& url) {
    m_bOver = !url.isEmpty();
    UpdateLink();
  });
  connect(m_link, &QLabel::linkActivated, this, [this](const QString& url) {
    // A failure of the handler is not reported; the link counts as visited all the same.
    QDesktopServices::openUrl(QUrl(url));
    m_bVisited = true;
    UpdateLink();
  });
  UpdateLink();

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
  auto* version =
      new QLabel(QStringLiteral("Pomvelt Version ") + QString::fromUtf8(pomvelt::kVersion));
  version->setTextFormat(Qt::PlainText);
  grid->addWidget(version, 0, 1);
  grid->addWidget(new QLabel(tr(kAuthorLine)), 1, 1);
  grid->addWidget(new QLabel(tr("Свежую версию смотрите здесь:")), 2, 1);
  grid->addWidget(m_link, 3, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  ok->setFocus();
}

QColor CAboutDialog::LinkColor() const {
  if (m_bVisited) return QColor(0, 13, 0);
  return m_bOver ? QColor(0, 0, 255) : QColor(255, 0, 0);
}

void CAboutDialog::UpdateLink() {
  m_link->setText(QStringLiteral("<a href=\"%1\" style=\"color: %2\">%3</a>")
                      .arg(QString::fromUtf8(kHomePageUrl), LinkColor().name(),
                           QString::fromUtf8(kHomePageText)));
}
