// What the desktop program remembers between runs: the options of its dialogs, the last folder
// of the file dialog, the main window's position, the compiler, the interface language and
// whether jobs keep originals for undo. One store per user, an ini file in the user's
// configuration folder.
#pragma once

#include <QSettings>
#include <QString>

class PomveltSettings : public QSettings {
 public:
  PomveltSettings() : QSettings(QSettings::IniFormat, QSettings::UserScope, "Pomvelt", "Pomvelt") {}
};

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
