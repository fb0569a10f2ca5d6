#include "app/settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings.h"

CSettingsDialog::CSettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(tr("Настройки"));
  m_language = new QComboBox;
  m_language->addItem(tr("Как в системе"), QString());
  m_language->addItem(QStringLiteral("Русский"), QStringLiteral("ru"));
  m_language->addItem(QStringLiteral("English"), QStringLiteral("en"));
  m_language->setCurrentIndex(std::max(0, m_language->findData(LanguageSetting())));

  const CompilerSetting compiler = LoadCompiler();
  m_compiler = new QComboBox;
  m_compiler->setEditable(true);
  m_compiler->addItems({QStringLiteral("cgpsmapper"), QStringLiteral("mkgmap")});
  m_compiler->setCurrentText(compiler.program.isEmpty() ? QStringLiteral("cgpsmapper")
                                                        : compiler.program);
  m_compiler->setMinimumContentsLength(30);
  auto* browse = new QPushButton(tr("Обзор..."));
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString program = QFileDialog::getOpenFileName(this, tr("Компилятор"));
    if (!program.isEmpty()) m_compiler->setCurrentText(program);
  });
  auto* compilerRow = new QHBoxLayout;
  compilerRow->addWidget(m_compiler, 1);
  compilerRow->addWidget(browse);
  m_arguments = new QLineEdit(compiler.arguments);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout(this);
  form->addRow(tr("Язык (со следующего запуска):"), m_language);
  form->addRow(tr("Компилятор:"), compilerRow);
  form->addRow(tr("Его дополнительные параметры:"), m_arguments);
  form->addRow(buttons);
  form->setSizeConstraint(QLayout::SetFixedSize);
}

void CSettingsDialog::accept() {
  SaveLanguage(m_language->currentData().toString());
  SaveCompiler({m_compiler->currentText().trimmed(), m_arguments->text().trimmed()});
  QDialog::accept();
}
