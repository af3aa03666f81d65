#include "app/path_box.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace vomar::app {

PathBox::PathBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

bool PathBox::Fits(const QString& incoming) const {
  const qsizetype selected = textCursor().selectedText().size();
  if (toPlainText().size() - selected + incoming.size() <= maxLength_) return true;
  QApplication::beep();
  return false;
}

void PathBox::keyPressEvent(QKeyEvent* event) {
  QString incoming = event->text();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    incoming = QStringLiteral("\n");
  }
  const bool typesText = !incoming.isEmpty() && (incoming == "\n" || incoming.at(0).isPrint());
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
