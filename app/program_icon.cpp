#include "app/program_icon.h"

#include <QPainter>

namespace vomar::app {

QPixmap ProgramIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const int half = size / 2;
  const QColor inks[] = {QColor(0, 174, 239), QColor(236, 0, 140), QColor(255, 242, 0),
                         QColor(35, 31, 32)};
  for (int k = 0; k < 4; ++k) {
    painter.fillRect((k % 2) * half, (k / 2) * half, half, half, inks[k]);
  }
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(ProgramIconPixmap(size));
  return icon;
}

}  // namespace vomar::app
