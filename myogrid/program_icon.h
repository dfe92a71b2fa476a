#pragma once
// Myogrid's own icon, the one of its menu entry: a block of 3 x 3 x 3 model
// cells, some of them excited, drawn in code so every window carries it
// without an installed icon theme.
#include <QIcon>
#include <QPixmap>

namespace myogrid {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace myogrid
