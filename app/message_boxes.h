// The core's message boxes shown with QMessageBox: the flags choose buttons and icon,
// boxes owned by the main dialog are modal to it, the others have no parent, and a box
// without a caption shows the application's name.
#pragma once

#include <QMessageBox>
#include <functional>
#include <memory>

#include "common/messages.h"

namespace vomar::app {

// The box for `message`, not yet shown; `owner` is its parent when the message is
// owned by the main dialog.
std::unique_ptr<QMessageBox> BuildMessageBox(const Message& message, QWidget* owner);

class MessageBoxes : public MessageSink {
 public:
  // Answers a box instead of the user; gets the box as it would be shown.
  using AnswerHook = std::function<int(const Message&, const QMessageBox&)>;

  explicit MessageBoxes(QWidget* owner) : owner_(owner) {}

  // Shows the box modally on the GUI thread and returns kIdOk, kIdYes or kIdNo.
  int Show(const Message& message) override;

  // Tests: every box goes to `hook` and none is shown.
  void SetAnswerHook(AnswerHook hook) { hook_ = std::move(hook); }

 private:
  QWidget* owner_;
  AnswerHook hook_;
};

}  // namespace vomar::app
