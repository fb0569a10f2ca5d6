#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "app/job_dialog.h"
#include "app/settings.h"

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
