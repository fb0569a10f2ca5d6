#include "widgets/progress_wnd.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <climits>

void KeepAbove(QWidget* window, QWidget* owner) {
  if (!window || !owner) return;
  QWidget* top = owner->window();
  // Both need their platform windows before one can own the other.
  top->winId();
  window->winId();
  window->windowHandle()->setTransientParent(top->windowHandle());
}

CProgressWnd::CProgressWnd(QWidget* owner, const QString& caption)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), owner_(owner) {
  setWindowTitle(caption);
  // The caption again inside the window: a window manager clips a long title.
  m_status = new QLabel;
  m_status->setObjectName(QStringLiteral("status"));
  m_status->setTextFormat(Qt::PlainText);
  // Room for a file name of 44 average characters with its percentage.
  m_status->setFixedWidth(m_status->fontMetrics().averageCharWidth() * 44);
  m_progressBar = new QProgressBar;
  m_progressBar->setObjectName(QStringLiteral("progressBar"));
  m_progressBar->setTextVisible(false);
  m_progressBar->setRange(m_nLower, m_nUpper);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, [this] { m_bCancelled.store(true); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_status);
  layout->addWidget(m_progressBar);
  layout->addWidget(cancel);
  setFixedSize(sizeHint());
}

void CProgressWnd::closeEvent(QCloseEvent* event) {
  event->ignore();
}

void CProgressWnd::Post(std::function<void()> change) {
  if (QThread::currentThread() == thread()) {
    change();
  } else {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
  }
}

void CProgressWnd::ShowCaption() {
  Post([this, caption = QStringLiteral("%1 [%2%]").arg(m_strCaption).arg(m_nPercent)] {
    setWindowTitle(caption);
    m_status->setText(
        m_status->fontMetrics().elidedText(caption, Qt::ElideMiddle, m_status->width()));
  });
}

void CProgressWnd::SetRange(int lower, int upper, int step) {
  m_nUpper = upper;
  m_nLower = lower;
  m_nStep = step;
  // An empty range would make the bar a busy indicator; the window shows an empty bar instead.
  Post([this, lower, barUpper = std::max(upper, lower + 1)] {
    m_progressBar->setRange(lower, barUpper);
  });
  SetPos(0);
}

int CProgressWnd::SetPos(int pos) {
  m_nPos = pos;
  // 64 bits: a large position times 100 must not overflow. Truncated, and not limited to 100.
  const long long wide = m_nUpper <= m_nLower ? 0
                                              : static_cast<long long>(pos) * 100 /
                                                    (static_cast<long long>(m_nUpper) - m_nLower);
  const int percent = static_cast<int>(std::clamp<long long>(wide, INT_MIN, INT_MAX));
  if (percent != m_nPercent) {
    m_nPercent = percent;
    ShowCaption();
  }
  const int previous = barPos_;
  barPos_ = std::clamp(pos, m_nLower, std::max(m_nUpper, m_nLower));
  Post([this, value = barPos_] { m_progressBar->setValue(value); });
  return previous;
}

void CProgressWnd::SetText(const std::string& text) {
  m_strCaption = QFile::decodeName(QByteArray::fromStdString(text));
  ShowCaption();
}

void CProgressWnd::Show() {
  m_bCancelled.store(false);
  Post([this] {
    if (isVisible()) return;
    if (QWidget* owner = owner_ ? owner_->window() : nullptr) {
      KeepAbove(this, owner);
      move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
  });
}

void CProgressWnd::Hide() {
  Post([this] { hide(); });
}
