// The GUI test classes register themselves here; gui_test_main runs one of them by name, or
// all of them.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace pomvelt::test {

using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterGuiTest(const char* name, GuiTestFactory factory);

}  // namespace pomvelt::test

#define POMVELT_GUI_TEST(Class)                                                    \
  namespace {                                                                      \
  const bool Class##Registered = pomvelt::test::RegisterGuiTest(                   \
      #Class, [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); }); \
  }
