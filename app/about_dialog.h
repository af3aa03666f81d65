// The version box (template 100): the program icon, its name, its version and the
// rights notice, with one OK button. OK and Esc only hide it.
#pragma once

#include <QDialog>

namespace vomar::app {

class CAboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDialog(QWidget* parent = nullptr);
};

}  // namespace vomar::app
