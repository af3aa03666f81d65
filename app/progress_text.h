// The progress line's text for a step of a running command.
#pragma once

#include <QString>

#include "commands/front_end.h"

namespace vomar::app {

QString ProgressText(const Progress& progress);

}  // namespace vomar::app
