#include "widgets/window_owner.h"

#include <QWidget>
#include <QWindow>

void KeepAbove(QWidget* window, QWidget* owner) {
  if (!window || !owner) return;
  QWidget* top = owner->window();
  // Both need their platform windows before one can own the other.
  top->winId();
  window->winId();
  window->windowHandle()->setTransientParent(top->windowHandle());
}
