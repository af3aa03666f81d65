#include "commands/queue_question.h"

#include <optional>

#include "common/message_catalogue.h"

namespace vomar {

namespace {

// "<name>: <what> (<the queue's state message>)", without the parentheses when the
// queue says nothing.
std::string QueueReason(const std::string& name, const std::string& what,
                        const QueueState& state) {
  return name + ": " + what + (state.message.empty() ? "" : " (" + state.message + ")");
}

}  // namespace

QueueAnswer AskQueue(Spooler& spooler, const std::string& name, FrontEnd& frontEnd) {
  const std::optional<QueueState> state = spooler.GetQueueState(name);
  if (!state) {
    frontEnd.Show(SpoolerFailureMessage(spooler.LastError()));
    return QueueAnswer::kUnavailable;
  }
  if (!state->acceptingJobs) {
    frontEnd.Show(SpoolerFailureMessage(QueueReason(name, "not accepting jobs", *state)));
    return QueueAnswer::kUnavailable;
  }
  if (state->state != QueueState::State::kStopped) return QueueAnswer::kReady;
  const Message question = WithLineInserted(MessageId::kQueueStopped, QueueReason(name, "stopped", *state),
                                            kMbYesNo | kMbIconExclamation);
  return frontEnd.Show(question) == kIdYes ? QueueAnswer::kStopped : QueueAnswer::kDeclined;
}

}  // namespace vomar
