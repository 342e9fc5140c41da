// The toolbar's pictures: the desktop's icon theme where it has them, else
// pictures drawn by the program, so a bare system shows them too.
#pragma once

#include <QIcon>
#include <QString>

namespace kv::ui {

// The icon theme's name for a command's picture; empty for none.
QString CommandIconName(int commandId);
// The program's own picture of a command (16 pixels).
QIcon CommandFallbackIcon(int commandId);
QIcon CommandIcon(int commandId);

}  // namespace kv::ui
