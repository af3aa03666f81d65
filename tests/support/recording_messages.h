// A message sink for tests: records every box and answers from a queue (default OK/No).
#pragma once

#include <deque>
#include <vector>

#include "common/messages.h"

namespace vomar::testing {

class RecordingMessages : public MessageSink {
 public:
  int Show(const Message& message) override {
    shown.push_back(message);
    if (!answers.empty()) {
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return (message.flags & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
  }

  std::vector<Message> shown;
  std::deque<int> answers;
};

}  // namespace vomar::testing
