#include "app/path_box.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolTip>
#include <algorithm>

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

namespace {

bool IsLineBreak(QChar c) {
  return c == QChar('\n') || c == QChar('\r') || c == QChar::ParagraphSeparator ||
         c == QChar::LineSeparator;
}

}  // namespace

bool PathBox::Fits(const QString& incoming) {
  const bool lineBreak = std::any_of(incoming.begin(), incoming.end(), IsLineBreak);
  QTextCursor cursor = textCursor();
  QString result = toPlainText();
  result.replace(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(),
                 incoming);
  if (!lineBreak && result.size() <= maxLength_ && AcceptsPath(result)) {
    toldWhy_ = false;
    return true;
  }
  QApplication::beep();
  // The first refusal says why; the next ones only beep, until an input fits again.
  if (!toldWhy_) {
    toldWhy_ = true;
    QToolTip::showText(viewport()->mapToGlobal(cursorRect().bottomLeft()),
                       lineBreak ? tr("ﾊﾟｽに改行は入りません。")
                                 : tr("ﾊﾟｽは255ﾊﾞｲﾄまでです (全角文字は2ﾊﾞｲﾄ)。"),
                       this);
  }
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
  if (!source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  // A path copied with its line's end (from a terminal, a file list) is taken without
  // it; a line break inside is refused.
  QString text = source->text();
  while (!text.isEmpty() && IsLineBreak(text.back())) text.chop(1);
  if (Fits(text)) insertPlainText(text);
}

}  // namespace vomar::app
