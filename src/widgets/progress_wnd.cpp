#include "widgets/progress_wnd.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "widgets/window_owner.h"

namespace {

// Room for a file name of this many average characters with its percentage.
constexpr int kStatusChars = 44;

// Offers the user no way to close it: only the job hides it.
class ProgressWindow : public QWidget {
 public:
  ProgressWindow() : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {}

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// The caption for a text and a percentage: "city.mp [37%]".
QString FormatCaption(const QString& text, int percent) {
  return QStringLiteral("%1 [%2%]").arg(text).arg(percent);
}

}  // namespace

CProgressWnd::CProgressWnd() = default;

CProgressWnd::~CProgressWnd() = default;

QWidget* CProgressWnd::widget() const {
  return created_.load() ? window_.get() : nullptr;
}

bool CProgressWnd::Create(QWidget* owner, const QString& caption, bool smooth) {
  if (created_.load()) return false;
  // Qt draws one kind of bar; the segmented look of a non-smooth bar is the style's affair.
  static_cast<void>(smooth);
  owner_ = owner;
  window_ = std::make_unique<ProgressWindow>();
  window_->setWindowTitle(caption);

  // The caption again inside the window: a window manager clips a long title.
  m_status = new QLabel(window_.get());
  m_status->setObjectName(QStringLiteral("status"));
  m_status->setTextFormat(Qt::PlainText);
  m_progressBar = new QProgressBar(window_.get());
  m_progressBar->setObjectName(QStringLiteral("progressBar"));
  m_progressBar->setTextVisible(false);
  {
    std::lock_guard lock(mutex_);
    m_progressBar->setRange(m_nLower, std::max(m_nUpper, m_nLower + 1));
    m_progressBar->setValue(barPos_);
  }
  m_cancelButton = new QPushButton(QStringLiteral("Cancel"), window_.get());
  m_cancelButton->setObjectName(QStringLiteral("cancel"));
  m_cancelButton->setAutoDefault(false);
  QObject::connect(m_cancelButton, &QPushButton::clicked, this, [this] { OnCancel(); });

  auto* layout = new QVBoxLayout(window_.get());
  layout->addWidget(m_status);
  layout->addWidget(m_progressBar);
  layout->addWidget(m_cancelButton);
  const int width = m_status->fontMetrics().averageCharWidth() * kStatusChars;
  m_status->setFixedWidth(width);
  window_->setFixedSize(window_->sizeHint());

  created_.store(true);
  return true;
}

void CProgressWnd::ShowCaption(const QString& caption) {
  window_->setWindowTitle(caption);
  m_status->setText(
      m_status->fontMetrics().elidedText(caption, Qt::ElideMiddle, m_status->width()));
}

void CProgressWnd::Post(std::function<void()> change) {
  if (QThread::currentThread() == thread()) {
    change();
  } else {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
  }
}

int CProgressWnd::PercentOf(int pos) const {
  if (m_nUpper <= m_nLower) return 0;
  // 64 bits: a large position times 100 must not overflow. Truncated, and not limited to 100.
  const long long percent =
      static_cast<long long>(pos) * 100 / (static_cast<long long>(m_nUpper) - m_nLower);
  return static_cast<int>(std::clamp<long long>(percent, INT_MIN, INT_MAX));
}

void CProgressWnd::SetRange(int lower, int upper, int step) {
  if (!created_.load()) return;
  PosChange change;
  {
    std::lock_guard lock(mutex_);
    m_nUpper = upper;
    m_nLower = lower;
    m_nStep = step;
    change = SetPosLocked(0);
  }
  // An empty range would make the bar a busy indicator; the window shows an empty bar instead.
  const int barUpper = std::max(upper, lower + 1);
  Post([this, lower, barUpper] { m_progressBar->setRange(lower, barUpper); });
  Apply(change);
}

int CProgressWnd::SetPos(int pos) {
  PosChange change;
  {
    std::lock_guard lock(mutex_);
    if (!created_.load()) return m_nPos;
    change = SetPosLocked(pos);
  }
  Apply(change);
  return change.previous;
}

int CProgressWnd::StepIt() {
  int next = 0;
  {
    std::lock_guard lock(mutex_);
    next = m_nPos + m_nStep;
  }
  return SetPos(next);  // only the job moves the position: nothing comes between
}

CProgressWnd::PosChange CProgressWnd::SetPosLocked(int pos) {
  PosChange change;
  m_nPos = pos;
  const int percent = PercentOf(pos);
  if (percent != m_nPercent) {
    m_nPercent = percent;
    change.caption = FormatCaption(m_strCaption, percent);
  }
  change.previous = barPos_;
  barPos_ = std::clamp(pos, m_nLower, std::max(m_nUpper, m_nLower));
  change.value = barPos_;
  return change;
}

void CProgressWnd::Apply(const PosChange& change) {
  if (change.caption) {
    Post([this, caption = *change.caption] { ShowCaption(caption); });
  }
  Post([this, value = change.value] { m_progressBar->setValue(value); });
}

void CProgressWnd::SetText(const std::string& text) {
  QString caption;
  {
    std::lock_guard lock(mutex_);
    m_strCaption = QFile::decodeName(QByteArray::fromStdString(text));
    if (!created_.load()) return;
    caption = FormatCaption(m_strCaption, PercentOf(m_nPos));
  }
  Post([this, caption] { ShowCaption(caption); });
}

void CProgressWnd::Show() {
  m_bCancelled.store(false);
  if (!created_.load()) return;
  Post([this] {
    if (window_->isVisible()) return;
    if (QWidget* owner = owner_ ? owner_->window() : nullptr) {
      KeepAbove(window_.get(), owner);
      const QRect frame = owner->frameGeometry();
      window_->move(frame.center() - QPoint(window_->width() / 2, window_->height() / 2));
    }
    window_->show();
  });
}

void CProgressWnd::Hide() {
  if (!created_.load()) return;
  Post([this] { window_->hide(); });
}
