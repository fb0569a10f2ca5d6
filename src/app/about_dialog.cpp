#include "app/about_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "app/job_dialog.h"
#include "pomvelt_version.h"

namespace {
const QColor kLinkColor(255, 0, 0);
const QColor kHoverColor(0, 0, 255);
const QColor kVisitedColor(0, 13, 0);
}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent, kDialogFlags) {
  setWindowTitle(QStringLiteral("About Pomvelt"));
  auto* icon = new QLabel;
  icon->setObjectName(QStringLiteral("icon"));
  const QIcon appIcon = windowIcon().isNull() ? QApplication::windowIcon() : windowIcon();
  icon->setPixmap(appIcon.pixmap(32, 32));

  m_link = new QLabel;
  m_link->setObjectName(QStringLiteral("link"));
  m_link->setTextFormat(Qt::RichText);
  m_link->setOpenExternalLinks(false);
  m_link->setCursor(Qt::PointingHandCursor);
  m_link->setToolTip(tr("Открыть сайт"));
  // The tooltip's own colours: a yellow ground with black text.
  m_link->setStyleSheet(QStringLiteral("QToolTip { background: rgb(253, 221, 2); color: black; }"));
  connect(m_link, &QLabel::linkHovered, this, [this](const QString& url) {
    m_bOver = !url.isEmpty();
    UpdateLink();
  });
  connect(m_link, &QLabel::linkActivated, this, [this](const QString& url) {
    // A failure of the handler is not reported; the link counts as visited all the same.
    QDesktopServices::openUrl(QUrl(url));
    m_bVisited = true;
    UpdateLink();
  });
  UpdateLink();

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
  auto* version =
      new QLabel(QStringLiteral("Pomvelt Version ") + QString::fromUtf8(pomvelt::kVersion));
  version->setTextFormat(Qt::PlainText);
  grid->addWidget(version, 0, 1);
  grid->addWidget(new QLabel(tr(kAuthorLine)), 1, 1);
  grid->addWidget(new QLabel(tr("Свежую версию смотрите здесь:")), 2, 1);
  grid->addWidget(m_link, 3, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  ok->setFocus();
}

QColor CAboutDialog::LinkColor() const {
  if (m_bVisited) return kVisitedColor;
  return m_bOver ? kHoverColor : kLinkColor;
}

void CAboutDialog::UpdateLink() {
  m_link->setText(QStringLiteral("<a href=\"%1\" style=\"color: %2\">%3</a>")
                      .arg(QString::fromUtf8(kHomePageUrl), LinkColor().name(),
                           QString::fromUtf8(kHomePageText)));
}
