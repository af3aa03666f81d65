// The progress line's text for a step of a running command.
#pragma once

#include <QString>

#include "commands/front_end.h"

namespace vomar::app {

QString ProgressText(const Progress& progress);

// The progress line while a call waits `seconds` more at most for the print server.
QString AwaitingServerText(int seconds);

// What the progress line adds after a close request during work.
QString ClosingAfterWorkText();

}  // namespace vomar::app
