#include "app/path_box.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "common/path_limit.h"

namespace vomar::app {

PathBox::PathBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

bool PathBox::AcceptsPath(const QString& path) {
  return PathFits(path.toStdString());
}

bool PathBox::Fits(const QString& incoming) const {
  const bool lineBreak = incoming.contains(QChar('\n')) || incoming.contains(QChar('\r')) ||
                         incoming.contains(QChar::ParagraphSeparator) ||
                         incoming.contains(QChar::LineSeparator);
  QTextCursor cursor = textCursor();
  QString result = toPlainText();
  result.replace(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(),
                 incoming);
  if (!lineBreak && result.size() <= maxLength_ && AcceptsPath(result)) return true;
  QApplication::beep();
  return false;
}

void PathBox::keyPressEvent(QKeyEvent* event) {
  // Return does in a path box what it does elsewhere in the dialog: nothing.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  const QString incoming = event->text();
  const bool typesText = !incoming.isEmpty() && incoming.at(0).isPrint();
  if (typesText && !(event->modifiers() & Qt::ControlModifier) && !Fits(incoming)) {
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void PathBox::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty() && !Fits(event->commitString())) {
    event->accept();
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

void PathBox::insertFromMimeData(const QMimeData* source) {
  if (source->hasText() && !Fits(source->text())) return;
  QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace vomar::app
