// Message boxes as the core raises them. The dialog shows them with QMessageBox,
// the command line prints them, tests record them and answer as told.
#pragma once

#include <optional>
#include <string>

namespace vomar {

// Button and icon flags, with the values of the classic message-box API.
enum MessageFlags : unsigned {
  kMbOk = 0x00,
  kMbYesNo = 0x04,
  kMbIconHand = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
};

// Answers a box can return.
enum MessageAnswer : int {
  kIdOk = 1,
  kIdYes = 6,
  kIdNo = 7,
};

// Which catalogue entry a box shows (common/message_catalogue.h).
enum class MessageId : int;

// Who owns a box: the main dialog, or nobody (boxes raised by builders and checks).
enum class MessageOwner { kMainDialog, kNone };

struct Message {
  std::string text;                    // UTF-8; "\n" breaks lines
  std::optional<std::string> caption;  // nothing: the application's name
  unsigned flags = kMbOk;
  MessageOwner owner = MessageOwner::kNone;
  // Why it happened in the system's own words (the spooler's error, a file error), for
  // the box's detailed text; empty when the text says all.
  std::string detail = {};
  // The catalogue entry shown (the first of a composed text); nothing for a text from
  // elsewhere.
  std::optional<MessageId> id = {};
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows the box modally and returns the button pressed.
  virtual int Show(const Message& message) = 0;
};

}  // namespace vomar
