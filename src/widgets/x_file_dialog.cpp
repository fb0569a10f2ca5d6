#include "widgets/x_file_dialog.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <algorithm>

#include "widgets/progress_wnd.h"

namespace {

QString Translated(const std::string& text) {
  return QCoreApplication::translate("CXFileDialog", text.c_str());
}

// Selects the filter of that pattern, added first if there is none. False for a text that is
// no pattern.
bool SelectFilterFor(QFileDialog& dialog, const QString& pattern) {
  if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?'))) return false;
  const QString tail = QLatin1Char('(') + pattern + QLatin1Char(')');
  QStringList filters = dialog.nameFilters();
  auto it = std::find_if(filters.begin(), filters.end(),
                         [&](const QString& filter) { return filter.endsWith(tail); });
  if (it == filters.end()) {
    filters.prepend(pattern + QLatin1Char(' ') + tail);
    dialog.setNameFilters(filters);
    it = filters.begin();
  }
  dialog.selectNameFilter(*it);
  return true;
}

// Deselects the folders among the rows just selected in the list: only files are chosen.
void DropFolders(QAbstractItemView* view, const QItemSelection& selected) {
  auto* model = view ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
  if (!model) return;
  QItemSelection folders;
  for (const QModelIndex& index : selected.indexes()) {
    if (index.column() == 0 && model->isDir(index)) folders.select(index, index);
  }
  if (!folders.isEmpty()) {
    view->selectionModel()->select(folders,
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  }
}

}  // namespace

CXFileDialog::CXFileDialog(const pomvelt::JobFileDialogParams& params, QWidget* parent)
    : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog);
  // The description alone is shown; the pattern Qt needs is appended in parentheses.
  setOption(QFileDialog::HideNameFilterDetails);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFiles);
  setWindowTitle(Translated(params.title));
  setLabelText(QFileDialog::Accept, QStringLiteral("Convert!"));
  const QStringList filters = NameFilters(params.filter);
  if (!filters.isEmpty()) setNameFilters(filters);
  if (params.defaultExtension) {
    setDefaultSuffix(QString::fromStdString(*params.defaultExtension).section('.', -1));
  }
  if (!lastFolder.isEmpty()) setDirectory(lastFolder);
  if (params.initialFileName) {
    const QString name = QString::fromStdString(*params.initialFileName);
    if (!SelectFilterFor(*this, name)) selectFile(name);
  }
  if (!preselected.isEmpty()) {
    setDirectory(QFileInfo(preselected.front()).absolutePath());
    QStringList names;
    for (const QString& path : preselected) {
      names << QLatin1Char('"') + QFileInfo(path).fileName() + QLatin1Char('"');
    }
    selectFile(names.join(QLatin1Char(' ')));
    preselected.clear();
  }

  // Connected after the dialog's own handlers, so these have the last word. The dialog names
  // its accept button "Open" while a folder is typed; here it always converts.
  const auto labelAcceptButton = [this] {
    if (auto* buttons = findChild<QDialogButtonBox*>()) {
      if (QPushButton* accept = buttons->button(QDialogButtonBox::Open)) {
        accept->setText(QStringLiteral("Convert!"));
      }
    }
  };
  auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
  for (auto* view : findChildren<QAbstractItemView*>()) {
    if (!qobject_cast<QFileSystemModel*>(view->model())) continue;
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [list, labelAcceptButton](const QItemSelection& selected) {
              DropFolders(list, selected);
              labelAcceptButton();
            });
  }
  if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
    connect(name, &QLineEdit::textChanged, this, labelAcceptButton);
  }
  connect(this, &QFileDialog::directoryEntered, this, labelAcceptButton);
}

void CXFileDialog::accept() {
  // A pattern filters the list instead of naming a file.
  auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (name && SelectFilterFor(*this, name->text().trimmed())) {
    name->clear();
    return;
  }
  QFileDialog::accept();
}

QStringList CXFileDialog::NameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    const QString description = Translated(parts[i].toStdString());
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
  lastFolder = dialog.directory().absolutePath();
  return paths;
}
