// The About item of the window menu. Where the platform gives each window a system menu
// (Windows) the item is appended to it; elsewhere the caller offers it another way.
#pragma once

class QWidget;

inline constexpr unsigned kIdmAboutBox = 0x0010;
inline constexpr const char* kAboutMenuText = "&About Pomvelt...";

// Appends a separator and the About item to the window's system menu. False when the
// platform has no system menu to extend.
bool AppendAboutToSystemMenu(QWidget* window);

// True when a native window message is the About item's command.
bool IsAboutSystemCommand(const void* message);
