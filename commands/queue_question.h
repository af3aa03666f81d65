// The printer's queue is asked for its state right before a job's question.
#pragma once

#include <string>

#include "commands/front_end.h"
#include "common/message_catalogue.h"
#include "printer/spooler.h"

namespace vomar {

// What the printer's queue says right before the question.
enum class QueueAnswer {
  kReady,
  kStopped,      // the user chose to queue the jobs anyway
  kUnavailable,  // refusing jobs, or no state to be had: the spooler-failure message shown
  kDeclined,     // stopped, and the user answered No
};

// A queue that refuses jobs (or whose state cannot be had) is reported with its reason
// and that nothing was sent; a stopped one is the question `stoppedQuestion` (the jobs
// would wait), with the queue's name and state under its first line.
QueueAnswer AskQueue(Spooler& spooler, const std::string& name, FrontEnd& frontEnd,
                     MessageId stoppedQuestion = MessageId::kQueueStopped);

}  // namespace vomar
