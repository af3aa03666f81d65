// The multi-line path boxes 1003 and 1006: a text limit that refuses any input which
// would exceed it (the 261st character of a 260-character box), Tab moves the focus.
#pragma once

#include <QPlainTextEdit>

namespace vomar::app {

class PathBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit PathBox(QWidget* parent = nullptr);

  void setMaxLength(int limit) { maxLength_ = limit; }
  int maxLength() const { return maxLength_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // True when `incoming` replacing the selection stays within the limit; else beeps.
  bool Fits(const QString& incoming) const;

  int maxLength_ = 32767;
};

}  // namespace vomar::app
