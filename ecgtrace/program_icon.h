#pragma once
// The program's own icon: a green plot screen with a lime fibrillation trace,
// drawn in code so it stays sharp at every size.
#include <QIcon>
#include <QPixmap>

namespace ecgtrace {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace ecgtrace
