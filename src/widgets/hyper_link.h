// A text that works as a web link: underlined, a pointing hand under the mouse, a tooltip of
// its own colours, one colour normally, another while the mouse is over it, a third once it
// has been clicked; a click opens its URL with the desktop's URL handler.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <memory>

class CHyperLink : public QLabel {
 public:
  static constexpr int kToolId = 1001;

  explicit CHyperLink(const QString& text = QString(), QWidget* parent = nullptr);
  ~CHyperLink() override;

  void SetLinkUrl(const QString& url) { m_strUrl = url; }
  const QString& LinkUrl() const { return m_strUrl; }
  void EnableToolTip(bool enable) { m_bToolTip = enable; }
  // Only while the tooltip is enabled; otherwise the text stays as it was.
  void SetToolTipText(const QString& text);
  void SetToolTipBkColor(const QColor& color);
  void SetToolTipTextColor(const QColor& color);
  void SetLinkColor(const QColor& color);
  void SetHoverColor(const QColor& color);
  void SetVisitedColor(const QColor& color);

  // Opens the URL with the desktop's handler; true when the handler took it.
  static bool OpenLink(const QString& url);

  bool IsOver() const { return m_bOver; }
  bool IsVisited() const { return m_bVisited; }
  // The colour the text is drawn in now: visited, else hover while over, else the link colour.
  QColor TextColor() const;
  // The tooltip window (hidden until the mouse is over the link).
  QLabel* ToolTipWindow() const { return m_toolTip.get(); }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void OnClicked();
  void UpdateColor();
  void ShowToolTip(const QPoint& globalPos);

  bool m_bToolTip = false;
  bool m_bOver = false;
  bool m_bVisited = false;
  std::unique_ptr<QLabel> m_toolTip;
  QString m_strUrl;
  QColor m_crHover{255, 0, 0};
  QColor m_crLink{0, 0, 255};
  QColor m_crVisited{5, 34, 143};
};
