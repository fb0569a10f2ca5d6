#include "widgets/about_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "pomvelt_version.h"
#include "widgets/dialog_template.h"
#include "widgets/hyper_link.h"

namespace {

// Dialog template 100. The link is made separately: it is a control of its own class.
constexpr TemplateControl kTemplate[] = {
    {ControlKind::kIcon, 0, "icon", "", 11, 17, 20, 20, 0},
    {ControlKind::kLabel, 0, "version", "Pomvelt Version " POMVELT_VERSION, 40, 10, 119, 8, 0},
    {ControlKind::kLabel, 0, "author", kAuthorLine, 40, 25, 119, 8, 0},
    {ControlKind::kLabel, 0, "latest", "Свежую версию смотрите здесь:", 37, 38, 115, 10, 0},
    {ControlKind::kLabel, CAboutDialog::kIdLink, nullptr, kHomePageText, 38, 51, 98, 11, 0},
    {ControlKind::kPushButton, CAboutDialog::kIdOk, nullptr, "OK", 178, 7, 50, 14, kDefaultButton},
};

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("About Pomvelt"));
  const DialogTemplate controls(this, 235, 75, kTemplate);

  auto* icon = findChild<QLabel*>(QStringLiteral("icon"));
  const QIcon appIcon = windowIcon().isNull() ? QApplication::windowIcon() : windowIcon();
  icon->setPixmap(appIcon.pixmap(32, 32));

  // The template's text becomes the link, in its place.
  QWidget* text = controls.Control(kIdLink);
  m_link = new CHyperLink(QString::fromUtf8(kHomePageText), text->parentWidget());
  m_link->setGeometry(text->geometry());
  m_link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  delete text;
  m_link->setObjectName(QString::number(kIdLink));
  m_link->SetLinkUrl(QString::fromUtf8(kHomePageUrl));
  m_link->EnableToolTip(true);
  m_link->SetToolTipText(QStringLiteral("Открыть сайт"));
  m_link->SetToolTipBkColor(QColor(253, 221, 2));
  m_link->SetToolTipTextColor(QColor(0, 0, 0));
  m_link->SetLinkColor(QColor(255, 0, 0));
  m_link->SetHoverColor(QColor(0, 0, 255));
  m_link->SetVisitedColor(QColor(0, 13, 0));

  auto* ok = static_cast<QPushButton*>(controls.Control(kIdOk));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}
