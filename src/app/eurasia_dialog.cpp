#include "app/eurasia_dialog.h"

#include <QAbstractButton>

#include "widgets/dialog_data.h"

namespace {

using D = CEurasiaDialog;

// Dialog template 130, in template order.
constexpr TemplateControl kTemplate[] = {
    {ControlKind::kPushButton, D::kIdClose, nullptr, "Закрыть", 189, 160, 50, 14, kDefaultButton},
    {ControlKind::kLabel, 0, "about",
     "В сети можно найти набор карт под названием \"Евразия\". Большое покрытие, но самые "
     "первые слои почти у всех файлов пустые и поэтому в приборе при определенном приближении "
     "экран навигатора будет пуст.",
     7, 7, 111, 66, 0},
    {ControlKind::kLabel, 0, "offer",
     " Поэтому предлагаются для этого набора карт на выбор следующие действия:", 7, 78, 111, 32, 0},
    {ControlKind::kRadioButton, D::kIdRemoveLevels, nullptr,
     "Удалить слои 0 и 1 (подробные карты городов будут утрачены)", 128, 26, 107, 28, kStartsGroup},
    {ControlKind::kRadioButton, D::kIdFillLevels, nullptr,
     "Заполнить слои 0 и 1 копированием объектов ближайшего непустого слоя (увеличится размер)",
     128, 64, 107, 32, 0},
    {ControlKind::kCheckBox, D::kIdMakeTdbList, nullptr, "Сделать список для tdb", 129, 109, 96, 10,
     0},
    {ControlKind::kPushButton, D::kIdChooseAndConvert, nullptr, "Выбрать файлы и сконвертировать",
     7, 132, 232, 17, 0},
};

constexpr int kTemplateWidth = 246;
constexpr int kTemplateHeight = 181;

}  // namespace

CEurasiaDialog::CEurasiaDialog(QWidget* parent)
    : JobDialog(parent), template_(this, kTemplateWidth, kTemplateHeight, kTemplate) {
  setWindowTitle(QStringLiteral("Набор карт \"Евразия\""));
  UpdateData(false);
  connect(static_cast<QAbstractButton*>(Control(kIdChooseAndConvert)), &QAbstractButton::clicked,
          this, &CEurasiaDialog::OnChooseAndConvert);
  connect(static_cast<QAbstractButton*>(Control(kIdClose)), &QAbstractButton::clicked, this,
          &QDialog::accept);
  Control(kIdClose)->setFocus();
}

CEurasiaDialog::~CEurasiaDialog() {
  WaitForJob();
}

void CEurasiaDialog::DoDataExchange(DataExchange& dx) {
  dx.Radio(template_.RadioGroup(kIdRemoveLevels), m_options.m_nAction);
  dx.Check(static_cast<QAbstractButton*>(Control(kIdMakeTdbList)), m_options.m_bMakeTdbList);
}

void CEurasiaDialog::OnChooseAndConvert() {
  StartThreadedJob(
      [this](pomvelt::JobHost& host) { pomvelt::EurasiaJob(m_options, m_listFile, host); });
}
