#include "widgets/x_file_dialog.h"

#include <QFile>
#include <QString>

#include "widgets/window_owner.h"

CXFileDialog::CXFileDialog(const pomvelt::JobFileDialogParams& params, QWidget* parent)
    : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog);
  // The description alone is shown; the pattern Qt needs is appended in parentheses.
  setOption(QFileDialog::HideNameFilterDetails);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFiles);
  setWindowTitle(QString::fromStdString(params.title));
  setLabelText(QFileDialog::Accept, QStringLiteral("Convert!"));
  const QStringList filters = NameFilters(params.filter);
  if (!filters.isEmpty()) setNameFilters(filters);
  if (params.defaultExtension) {
    QString suffix = QString::fromStdString(*params.defaultExtension);
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    setDefaultSuffix(suffix);
  }
  if (params.initialFileName) selectFile(QString::fromStdString(*params.initialFileName));
}

QStringList CXFileDialog::NameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    if (description.isEmpty()) break;
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

std::vector<std::string> CXFileDialog::ChosenPaths() const {
  std::vector<std::string> paths;
  for (const QString& path : selectedFiles()) {
    paths.push_back(QFile::encodeName(path).toStdString());
  }
  return paths;
}

std::optional<std::vector<std::string>> CXFileDialog::Choose(
    const pomvelt::JobFileDialogParams& params, QWidget* owner) {
  CXFileDialog dialog(params);
  KeepAbove(&dialog, owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> paths = dialog.ChosenPaths();
  if (paths.empty()) return std::nullopt;
  return paths;
}
