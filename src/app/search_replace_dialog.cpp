#include "app/search_replace_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSearchReplaceDialog::CSearchReplaceDialog(QWidget* parent)
    : JobDialog(parent, QStringLiteral("searchReplace")) {
  setWindowTitle(tr("Поиск и замена строки (любой)"));
  auto* warning =
      new QLabel(tr("Эта функция не следит за целостностью элементов и при неаккуратных действиях "
                    "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
                    "эксперименты настоятельно рекомендую производить на копиях."));
  warning->setWordWrap(true);
  m_find = NewEdit(false, true);
  m_replace = NewEdit(false, true);
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

  Bind("find", m_find, m_options.m_strFind, true);
  Bind("replace", m_replace, m_options.m_strReplace, true);
  LoadSettings();
  // Always in place: the dialog has no choice of a copy.
  connect(m_chooseAndReplace, &QPushButton::clicked, this, [this] {
    RunOnChosenFiles(pomvelt::SearchReplaceDialogParams(),
                     [this](const auto& files, QtJobHost& host) {
                       const pomvelt::SearchReplaceOptions options{m_options.m_strFind,
                                                                   m_options.m_strReplace, true};
                       pomvelt::SearchReplaceJob(options, files, host.Batch());
                     });
  });
  m_find->setFocus();
  m_find->selectAll();
}

CSearchReplaceDialog::~CSearchReplaceDialog() {
  WaitForJob();
}
