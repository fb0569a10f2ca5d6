// The About box: the program's name and version, the author line and a link to its home page.
#pragma once

#include <QDialog>

class CHyperLink;

inline constexpr const char* kHomePageUrl = "https://pomvelt.example.org/";
inline constexpr const char* kHomePageText = "pomvelt.example.org";
inline constexpr const char* kAuthorLine = "Автор: команда Pomvelt";

class CAboutDialog : public QDialog {
 public:
  static constexpr int kIdLink = 1002;
  static constexpr int kIdOk = 1;

  explicit CAboutDialog(QWidget* parent = nullptr);

  CHyperLink& link() { return *m_link; }

 private:
  CHyperLink* m_link;
};
