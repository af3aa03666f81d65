// The multi-line path boxes 1003 and 1006: a text limit that refuses any input which
// would exceed it (the 261st character of a 260-character box), and the 255-byte limit
// of a path counted in the bytes of code page 932, as the Windows program counted them
// (a kanji takes two). Tab moves the focus; Return inserts nothing; pasted text loses
// the line breaks at its end, and with one inside it is refused, since a line break is
// never part of a path. A refusal beeps, and the first one says why.
#pragma once

#include <QPlainTextEdit>

namespace vomar::app {

class PathBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit PathBox(QWidget* parent = nullptr);

  void setMaxLength(int limit) { maxLength_ = limit; }
  int maxLength() const { return maxLength_; }

  // True when `path` keeps within the 255 bytes of a path in code page 932.
  static bool AcceptsPath(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // True when `incoming` replacing the selection stays within the limits and holds no
  // line break; else beeps, and the first time says why in a tool tip.
  bool Fits(const QString& incoming);

  int maxLength_ = 32767;
  bool toldWhy_ = false;  // a refusal has said why since the last input that fitted
};

}  // namespace vomar::app
