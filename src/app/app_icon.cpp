#include "app/app_icon.h"

#include <QString>

QIcon PomveltIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/pomvelt/icon_%1.png").arg(size), QSize(size, size));
  }
  return icon;
}
