#include "app/message_boxes.h"

#include "app/application_name.h"

namespace vomar::app {

namespace {

// The spooler's reason for a failure, where the message carries one.
template <typename M>
QString DetailText(const M& message) {
  if constexpr (requires { message.detail; }) {
    return QString::fromStdString(message.detail);
  } else {
    return QString();
  }
}

QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & 0xF0) {
    case kMbIconHand: return QMessageBox::Critical;
    case kMbIconQuestion: return QMessageBox::Question;
    case kMbIconExclamation: return QMessageBox::Warning;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const Message& message, QWidget* owner) {
  const QString text = QString::fromStdString(message.text);
  const QString caption = QString::fromStdString(message.caption.value_or(kApplicationName));
  const bool yesNo = (message.flags & 0x0F) == kMbYesNo;
  auto box = std::make_unique<QMessageBox>(
      IconFor(message.flags), caption, text,
      yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
      // A box of the dialog before it is shown (at start-up) has no window to stand on:
      // it is centred on the screen instead.
      message.owner == MessageOwner::kMainDialog && owner != nullptr && owner->isVisible()
          ? owner
          : nullptr);
  box->setDetailedText(DetailText(message));
  return box;
}

int MessageBoxes::Show(const Message& message) {
  std::unique_ptr<QMessageBox> box = BuildMessageBox(message, owner_);
  if (hook_) return hook_(message, *box);
  switch (box->exec()) {
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    default: return kIdOk;
  }
}

}  // namespace vomar::app
