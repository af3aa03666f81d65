// The program's icon (icon 128): four ink squares, drawn rather than loaded.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vomar::app {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace vomar::app
