#include "app/eurasia_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/settings.h"

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
  actionGroup_.Add(m_removeLevels);
  actionGroup_.Add(m_fillLevels);
  m_makeTdbList = new QCheckBox(tr("Сделать список для tdb"));
  m_chooseAndConvert = new QPushButton(tr("Выбрать файлы и сконвертировать"));
  m_close = new QPushButton(tr("Закрыть"));
  m_close->setDefault(true);

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

  LoadSettings();
  // Only level removal keeps or reduces elements.
  m_keepWhole->setEnabled(m_removeLevels->isChecked());
  connect(m_removeLevels, &QRadioButton::toggled, m_keepWhole, &QWidget::setEnabled);
  connect(m_chooseAndConvert, &QPushButton::clicked, this, &CEurasiaDialog::OnChooseAndConvert);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
  m_close->setFocus();
}

CEurasiaDialog::~CEurasiaDialog() {
  WaitForJob();
}

std::vector<OptionKey> CEurasiaDialog::SettingKeys() {
  return {{"action", &m_options.m_nAction, nullptr},
          {"makeTdbList", &m_options.m_bMakeTdbList, nullptr},
          {"keepWhole", &m_options.m_bKeepWhole, nullptr}};
}

void CEurasiaDialog::DoDataExchange(bool save) {
  Radio(save, actionGroup_, m_options.m_nAction);
  Check(save, m_makeTdbList, m_options.m_bMakeTdbList);
  Check(save, m_keepWhole, m_options.m_bKeepWhole);
}

pomvelt::EurasiaOptions EurasiaOptionsOf(const EurasiaDialogOptions& o) {
  pomvelt::EurasiaOptions options;
  options.action = o.m_nAction == 0   ? pomvelt::EurasiaAction::kRemoveLevels
                   : o.m_nAction == 1 ? pomvelt::EurasiaAction::kFillLevels
                                      : pomvelt::EurasiaAction::kNone;
  options.makeTdbList = o.m_bMakeTdbList != 0;
  if (o.m_bKeepWhole != 0) options.kept = pomvelt::KeptForm::kWhole;
  return options;
}

void CEurasiaDialog::OnChooseAndConvert() {
  StartThreadedJob([this](QtJobHost& host) {
    const pomvelt::EurasiaOptions options = EurasiaOptionsOf(m_options);
    if (const auto files = host.ChooseFiles(pomvelt::EurasiaDialogParams())) {
      pomvelt::EurasiaJob(options, *files, m_listFile, host.Batch());
    }
  });
}
