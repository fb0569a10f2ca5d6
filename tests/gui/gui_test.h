// The GUI test classes register themselves here; gui_test_main runs one of them by name, or
// all of them. With helpers the dialog tests share.
#pragma once

#include <QLabel>
#include <QObject>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>

namespace pomvelt::test {

using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterGuiTest(const char* name, GuiTestFactory factory);

// Types text key by key, as a user would (so an edit's check sees every character).
inline void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// The texts of every label of a window.
inline QStringList LabelTexts(const QWidget& window) {
  QStringList texts;
  for (QLabel* label : window.findChildren<QLabel*>()) texts << label->text();
  return texts;
}

// The widgets Tab stops at, from `first` round to it.
inline QList<QWidget*> TabChain(QWidget* first) {
  QList<QWidget*> chain;
  QWidget* w = first;
  do {
    if (w->focusPolicy() & Qt::TabFocus) chain << w;
    w = w->nextInFocusChain();
  } while (w != first);
  return chain;
}

}  // namespace pomvelt::test

#define POMVELT_GUI_TEST(Class)                                                    \
  namespace {                                                                      \
  const bool Class##Registered = pomvelt::test::RegisterGuiTest(                   \
      #Class, [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); }); \
  }
