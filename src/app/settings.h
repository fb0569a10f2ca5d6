// What the desktop program remembers between runs: the options of its dialogs, the last folder
// of the file dialog, the main window's position, the compiler, the interface language and
// whether jobs keep originals for undo. One
// store per user, an ini file in the user's configuration folder.
#pragma once

#include <QSettings>
#include <QString>
#include <string>
#include <vector>

class PomveltSettings : public QSettings {
 public:
  PomveltSettings() : QSettings(QSettings::IniFormat, QSettings::UserScope, "Pomvelt", "Pomvelt") {}
};

// One option of a dialog under its key: a number, or a text of code page 1251 bytes (UTF-8
// when anyText: a text each map takes in its own code page).
struct OptionKey {
  const char* key;
  int* number;
  std::string* text;
  bool anyText = false;
};

// Options absent from the store, or texts code page 1251 cannot hold, keep their values.
void LoadOptions(const QString& group, const std::vector<OptionKey>& options);
void SaveOptions(const QString& group, const std::vector<OptionKey>& options);

// Settings that are no dialog's options.
inline constexpr const char* kLanguageKey = "language";  // "ru", "en", or empty: the system's
// The compiler the conversion runs: "cgpsmapper", "mkgmap" or a program's path (empty: the
// default), and extra arguments for it.
inline constexpr const char* kCompilerKey = "compiler/program";
inline constexpr const char* kCompilerArgumentsKey = "compiler/arguments";
inline constexpr const char* kFolderKey = "fileDialog/folder";  // where the file dialog opens
inline constexpr const char* kPositionKey = "main/position";
// false: jobs keep no originals for undo (as POMVELT_UNDO=0 in the environment); default true.
inline constexpr const char* kUndoKey = "undo/enabled";
