#include "app/search_replace_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "widgets/dialog_data.h"

namespace {

using D = CSearchReplaceDialog;

// Dialog template 129, in template order.
constexpr TemplateControl kTemplate[] = {
    {ControlKind::kLabel, 0, "warning",
     "Эта функция не следит за целостностью элементов и при неаккуратных действиях "
     "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
     "эксперименты настоятельно рекомендую производить на копиях.",
     7, 7, 214, 35, 0},
    {ControlKind::kLabel, 0, "labelFind", "Строка для поиска", 7, 46, 214, 9, 0},
    {ControlKind::kEdit, D::kIdFind, nullptr, "", 7, 60, 214, 15, 0},
    {ControlKind::kLabel, 0, "labelReplace", "Строка для замены", 7, 82, 214, 10, 0},
    {ControlKind::kEdit, D::kIdReplace, nullptr, "", 7, 97, 214, 15, 0},
    {ControlKind::kPushButton, D::kIdChooseAndReplace, nullptr, "Выбрать файлы и конвертировать", 7,
     120, 214, 26, 0},
    {ControlKind::kPushButton, D::kIdClose, nullptr, "Закрыть", 171, 154, 50, 14, kDefaultButton},
};

constexpr int kTemplateWidth = 228;
constexpr int kTemplateHeight = 175;

}  // namespace

CSearchReplaceDialog::CSearchReplaceDialog(QWidget* parent)
    : JobDialog(parent), template_(this, kTemplateWidth, kTemplateHeight, kTemplate) {
  setWindowTitle(QStringLiteral("Поиск и замена строки (любой)"));
  UpdateData(false);
  connect(static_cast<QPushButton*>(Control(kIdChooseAndReplace)), &QPushButton::clicked, this,
          &CSearchReplaceDialog::OnChooseAndReplace);
  connect(static_cast<QPushButton*>(Control(kIdClose)), &QPushButton::clicked, this,
          &QDialog::accept);
  Control(kIdFind)->setFocus();
}

CSearchReplaceDialog::~CSearchReplaceDialog() {
  WaitForJob();
}

void CSearchReplaceDialog::DoDataExchange(DataExchange& dx) {
  dx.Text(static_cast<QLineEdit*>(Control(kIdFind)), m_options.m_strFind);
  dx.Text(static_cast<QLineEdit*>(Control(kIdReplace)), m_options.m_strReplace);
}

void CSearchReplaceDialog::OnChooseAndReplace() {
  StartThreadedJob([this](pomvelt::JobHost& host) { pomvelt::SearchReplaceJob(m_options, host); });
}
