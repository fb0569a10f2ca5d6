// The application icon (a folded map with a river and a pin), in the sizes a desktop asks for.
#pragma once

#include <QIcon>

QIcon PomveltIcon();
