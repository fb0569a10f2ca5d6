#include "app/eurasia_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

  Bind("action", actionGroup_, m_options.m_nAction);
  Bind("makeTdbList", m_makeTdbList, m_options.m_bMakeTdbList);
  Bind("keepWhole", m_keepWhole, m_options.m_bKeepWhole);
  LoadSettings();
  // Only level removal keeps or reduces elements.
  m_keepWhole->setEnabled(m_removeLevels->isChecked());
  connect(m_removeLevels, &QRadioButton::toggled, m_keepWhole, &QWidget::setEnabled);
  connect(m_chooseAndConvert, &QPushButton::clicked, this, [this] {
    RunOnChosenFiles(pomvelt::EurasiaDialogParams(), [this](const auto& files, QtJobHost& host) {
      pomvelt::EurasiaJob(EurasiaOptionsOf(m_options), files, m_listFile, host.Batch());
    });
  });
  m_close->setFocus();
}

CEurasiaDialog::~CEurasiaDialog() {
  WaitForJob();
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
