#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <map>
#include <string>

#include "app/pomvelt_app.h"
#include "gui/gui_test.h"

namespace pomvelt::test {

namespace {
std::map<std::string, GuiTestFactory>& Registry() {
  static std::map<std::string, GuiTestFactory> registry;
  return registry;
}
}  // namespace

bool RegisterGuiTest(const char* name, GuiTestFactory factory) {
  Registry()[name] = std::move(factory);
  return true;
}

}  // namespace pomvelt::test

// test_gui [Class [Qt Test arguments...]]
int main(int argc, char** argv) {
  // The settings of the tests stay in a folder of their own, away from the user's.
  const QTemporaryDir settings;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  // The runs of these tests keep no originals and end with the bare final message; the undo
  // test turns undo on for its own runs.
  qputenv("POMVELT_UNDO", "0");
  QApplication app(argc, argv);
  QApplication::setWindowIcon(CPomveltApp::Icon());
  auto& registry = pomvelt::test::Registry();
  if (argc > 1 && argv[1][0] != '-') {
    const auto it = registry.find(argv[1]);
    if (it == registry.end()) {
      std::fprintf(stderr, "no GUI test class %s\n", argv[1]);
      return 2;
    }
    argv[1] = argv[0];
    auto test = it->second();
    return QTest::qExec(test.get(), argc - 1, argv + 1);
  }
  int failures = 0;
  for (auto& [name, factory] : registry) {
    auto test = factory();
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
