#include "cli/console_messages.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string_view>

#include "common/terminal_text.h"

namespace vomar::cli {

ConsoleMessages::ConsoleMessages(std::string applicationName, bool assumeYes)
    : applicationName_(std::move(applicationName)), assumeYes_(assumeYes) {}

int ConsoleMessages::Show(const Message& message) {
  const std::string& caption = message.caption ? *message.caption : applicationName_;
  // Each line of `text` on a line of its own, after `prefix`.
  const auto writeLines = [](std::string_view text, const std::string& prefix) {
    while (true) {
      const std::size_t end = text.find('\n');
      std::fprintf(stderr, "%s%s\n", prefix.c_str(), TerminalText(text.substr(0, end)).c_str());
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  };
  writeLines(message.text, caption + ": ");
  // The system's reason (or a line per printer) follows as diagnostic lines of their own.
  if (!message.detail.empty()) writeLines(message.detail, "");
  if ((message.flags & 0x0F) != kMbYesNo) return kIdOk;
  if (assumeYes_) {
    std::fprintf(stderr, "%s: [yes]\n", caption.c_str());
    return kIdYes;
  }
  if (!isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "%s: [no: standard input is not a terminal; pass --yes]\n",
                 caption.c_str());
    return kIdNo;
  }
  std::fprintf(stderr, "%s: [y/N] ", caption.c_str());
  std::string answer;
  std::getline(std::cin, answer);
  return (answer == "y" || answer == "Y" || answer == "yes") ? kIdYes : kIdNo;
}

}  // namespace vomar::cli
