// The profile chooser: Qt's own (non-native) open dialog with the profile filter, the
// default suffix "icm", and a read-only line (1003) under it that shows the full path
// of the current selection.
#pragma once

#include <QFileDialog>

class QLineEdit;

namespace vomar::app {

class CCustomFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  explicit CCustomFileDialog(QWidget* parent = nullptr);

  QLineEdit* FullPathLine() const { return fullPath_; }

 private:
  // The chosen file name changed: show its full path.
  void OnFileNameChange(const QString& name);

  QLineEdit* fullPath_;
};

}  // namespace vomar::app
