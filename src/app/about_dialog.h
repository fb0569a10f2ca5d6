// The About box: the program's name and version, the author line and a link to its home page:
// red, blue under the mouse, dark green once followed, with a yellow tooltip.
#pragma once

#include <QDialog>

class QLabel;

inline constexpr const char* kHomePageUrl = "https://pomvelt.example.org/";
inline constexpr const char* kHomePageText = "pomvelt.example.org";
inline constexpr const char* kAuthorLine = "Автор: команда Pomvelt";

class CAboutDialog : public QDialog {
 public:
  explicit CAboutDialog(QWidget* parent = nullptr);

  QLabel* link() const { return m_link; }
  // The colour the link is drawn in now.
  QColor LinkColor() const;

 private:
  void UpdateLink();

  QLabel* m_link;
  bool m_bOver = false;
  bool m_bVisited = false;
};
