#include "app/eurasia_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

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
  actionGroup_.Add(m_removeLevels);
  actionGroup_.Add(m_fillLevels);
  m_makeTdbList = new QCheckBox(tr("Сделать список для tdb"));
  m_chooseAndConvert = new QPushButton(tr("Выбрать файлы и сконвертировать"));
  m_close = new QPushButton(tr("Закрыть"));
  m_close->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(about, 0, 0);
  grid->addWidget(offer, 1, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(m_removeLevels, 0, 1);
  grid->addWidget(m_fillLevels, 1, 1);
  grid->addWidget(m_makeTdbList, 2, 1);
  grid->addWidget(m_chooseAndConvert, 3, 0, 1, 2);
  grid->addWidget(m_close, 4, 1, Qt::AlignRight);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  SetTabOrder({m_close, m_removeLevels, m_fillLevels, m_makeTdbList, m_chooseAndConvert});

  LoadSettings();
  connect(m_chooseAndConvert, &QPushButton::clicked, this, &CEurasiaDialog::OnChooseAndConvert);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
  m_close->setFocus();
}

CEurasiaDialog::~CEurasiaDialog() {
  WaitForJob();
}

std::vector<OptionKey> CEurasiaDialog::SettingKeys() {
  return {{"action", &m_options.m_nAction, nullptr},
          {"makeTdbList", &m_options.m_bMakeTdbList, nullptr}};
}

void CEurasiaDialog::DoDataExchange(bool save) {
  if (save) {
    m_options.m_nAction = actionGroup_.Selected();
    m_options.m_bMakeTdbList = m_makeTdbList->isChecked() ? 1 : 0;
  } else {
    actionGroup_.Select(m_options.m_nAction);
    m_makeTdbList->setChecked(m_options.m_bMakeTdbList != 0);
  }
}

pomvelt::EurasiaOptions EurasiaOptionsOf(const EurasiaDialogOptions& o) {
  pomvelt::EurasiaOptions options;
  options.action = o.m_nAction == 0   ? pomvelt::EurasiaAction::kRemoveLevels
                   : o.m_nAction == 1 ? pomvelt::EurasiaAction::kFillLevels
                                      : pomvelt::EurasiaAction::kNone;
  options.makeTdbList = o.m_bMakeTdbList != 0;
  return options;
}

void CEurasiaDialog::OnChooseAndConvert() {
  StartThreadedJob([this](QtJobHost& host) {
    const pomvelt::EurasiaOptions options = EurasiaOptionsOf(m_options);
    if (const auto files = host.ChooseFiles(pomvelt::EurasiaDialogParams())) {
      pomvelt::EurasiaJob(options, *files, m_listFile, {host});
    }
  });
}
