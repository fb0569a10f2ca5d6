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
  m_close = new QPushButton(tr("Закрыть"));
  m_close->setDefault(true);
  auto* form = new QFormLayout(this);
  form->addRow(tr("Кодировка:"), m_page);
  form->addRow(m_replaceMissing);
  form->addRow(m_recodeInPlace);
  form->addRow(m_chooseAndRecode);
  form->addRow(QString(), m_close);
  form->setSizeConstraint(QLayout::SetFixedSize);
  LoadSettings();
  connect(m_chooseAndRecode, &QPushButton::clicked, this, [this] {
    StartThreadedJob([this](QtJobHost& host) {
      const pomvelt::RecodeOptions options{pomvelt::CodePage(m_nTargetPage),
                                           m_bReplaceMissing == 1, m_bRecodeInPlace == 1};
      if (const auto files = host.ChooseFiles(pomvelt::MapEditDialogParams())) {
        pomvelt::RecodeJob(options, *files, host.Batch());
      }
    });
  });
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
  m_page->setFocus();
}

CRecodeDialog::~CRecodeDialog() {
  WaitForJob();
}

std::vector<OptionKey> CRecodeDialog::SettingKeys() {
  return {{"page", &m_nTargetPage, nullptr},
          {"replaceMissing", &m_bReplaceMissing, nullptr},
          {"inPlace", &m_bRecodeInPlace, nullptr}};
}

void CRecodeDialog::DoDataExchange(bool save) {
  if (save) {
    m_nTargetPage = m_page->currentData().toInt();
  } else {
    m_page->setCurrentIndex(std::max(0, m_page->findData(m_nTargetPage)));
  }
  Check(save, m_replaceMissing, m_bReplaceMissing);
  Check(save, m_recodeInPlace, m_bRecodeInPlace);
}
