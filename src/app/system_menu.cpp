#include "app/system_menu.h"

#include <QWidget>

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

bool AppendAboutToSystemMenu(QWidget* window) {
  HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE);
  if (!menu) return false;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kIdmAboutBox, L"&About Pomvelt...");
  return true;
}

bool IsAboutSystemCommand(const void* message) {
  const MSG* msg = static_cast<const MSG*>(message);
  return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kIdmAboutBox;
}

#else

bool AppendAboutToSystemMenu(QWidget*) {
  return false;
}

bool IsAboutSystemCommand(const void*) {
  return false;
}

#endif
