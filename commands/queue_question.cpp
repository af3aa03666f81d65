#include "commands/queue_question.h"

#include <optional>

#include "printer/spooler_reason.h"

namespace vomar {

namespace {

// The text of `what` for the queue `name`, followed by the queue's own words on its state
// in parentheses when it has any.
std::string QueueReason(MessageId what, const std::string& name, const QueueState& state) {
  return MessageText(what, {name}) + (state.message.empty() ? "" : " (" + state.message + ")");
}

}  // namespace

QueueAnswer AskQueue(Spooler& spooler, const std::string& name, FrontEnd& frontEnd,
                     MessageId stoppedQuestion) {
  const std::optional<QueueState> state = spooler.GetQueueState(name);
  // No job exists yet: the messages say that nothing was sent, not that a job was refused.
  if (!state) {
    frontEnd.Show(FailureWithResources(MessageId::kQueueUnavailable,
                                       SpoolerReasonText(spooler.LastError()), {}, {}));
    return QueueAnswer::kUnavailable;
  }
  if (!state->acceptingJobs) {
    frontEnd.Show(FailureWithResources(
        MessageId::kQueueRefusing, QueueReason(MessageId::kQueueRejecting, name, *state), {}, {}));
    return QueueAnswer::kUnavailable;
  }
  if (state->state != QueueState::State::kStopped) return QueueAnswer::kReady;
  const Message question =
      WithLineInserted(stoppedQuestion, QueueReason(MessageId::kQueuePaused, name, *state),
                       kMbYesNo | kMbIconExclamation);
  return frontEnd.Show(question) == kIdYes ? QueueAnswer::kStopped : QueueAnswer::kDeclined;
}

}  // namespace vomar
