#pragma once

#include <QIcon>

// The program's icon (window, tray, launcher), drawn at every size it is asked for.
QIcon Programmsymbol();
