#include "app/recode_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>

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
  Bind("page", m_page, m_nTargetPage);
  Bind("replaceMissing", m_replaceMissing, m_bReplaceMissing);
  Bind("inPlace", m_recodeInPlace, m_bRecodeInPlace);
  LoadSettings();
  connect(m_chooseAndRecode, &QPushButton::clicked, this, [this] {
    RunOnChosenFiles(pomvelt::MapEditDialogParams(), [this](const auto& files, QtJobHost& host) {
      const pomvelt::RecodeOptions options{pomvelt::CodePage(m_nTargetPage), m_bReplaceMissing == 1,
                                           m_bRecodeInPlace == 1};
      pomvelt::RecodeJob(options, files, host.Batch());
    });
  });
  m_page->setFocus();
}

CRecodeDialog::~CRecodeDialog() {
  WaitForJob();
}
