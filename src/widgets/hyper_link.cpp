#include "widgets/hyper_link.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QUrl>

CHyperLink::CHyperLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_toolTip(std::make_unique<QLabel>(nullptr, Qt::ToolTip)) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
  setTextFormat(Qt::PlainText);
  m_toolTip->setObjectName(QString::number(kToolId));
  m_toolTip->setTextFormat(Qt::PlainText);
  m_toolTip->setAutoFillBackground(true);
  m_toolTip->setMargin(2);
  m_toolTip->setFrameStyle(QFrame::Box | QFrame::Plain);
  UpdateColor();
}

CHyperLink::~CHyperLink() = default;

void CHyperLink::SetToolTipText(const QString& text) {
  if (!m_bToolTip) return;
  m_toolTip->setText(text);
  m_toolTip->adjustSize();
}

void CHyperLink::SetToolTipBkColor(const QColor& color) {
  QPalette palette = m_toolTip->palette();
  palette.setColor(QPalette::Window, color);
  m_toolTip->setPalette(palette);
}

void CHyperLink::SetToolTipTextColor(const QColor& color) {
  QPalette palette = m_toolTip->palette();
  palette.setColor(QPalette::WindowText, color);
  m_toolTip->setPalette(palette);
}

void CHyperLink::SetLinkColor(const QColor& color) {
  m_crLink = color;
  UpdateColor();
}

void CHyperLink::SetHoverColor(const QColor& color) {
  m_crHover = color;
  UpdateColor();
}

void CHyperLink::SetVisitedColor(const QColor& color) {
  m_crVisited = color;
  UpdateColor();
}

bool CHyperLink::OpenLink(const QString& url) {
  return QDesktopServices::openUrl(QUrl(url));
}

QColor CHyperLink::TextColor() const {
  if (m_bVisited) return m_crVisited;
  return m_bOver ? m_crHover : m_crLink;
}

void CHyperLink::UpdateColor() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, TextColor());
  setPalette(palette);
}

void CHyperLink::ShowToolTip(const QPoint& globalPos) {
  if (!m_bToolTip || m_toolTip->text().isEmpty()) return;
  m_toolTip->adjustSize();
  m_toolTip->move(globalPos + QPoint(2, 20));
  m_toolTip->show();
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  m_bOver = true;
  UpdateColor();
  ShowToolTip(event->globalPosition().toPoint());
}

void CHyperLink::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  m_bOver = false;
  m_toolTip->hide();
  UpdateColor();
}

void CHyperLink::hideEvent(QHideEvent* event) {
  m_toolTip->hide();
  QLabel::hideEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    OnClicked();
  }
}

void CHyperLink::OnClicked() {
  m_toolTip->hide();
  // A failure of the handler is not reported; the link counts as visited all the same.
  OpenLink(m_strUrl);
  m_bVisited = true;
  UpdateColor();
}
