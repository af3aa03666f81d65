// Runs work of the dialog on a worker thread, with a WorkerFrontEnd in place of the
// dialog: the long commands (the Download command, the page job), the printer listing,
// and the checks, which may wait for the spooler too.
#pragma once

#include <QObject>
#include <functional>

#include "commands/front_end.h"

namespace vomar::app {

// Starts `command` on a new thread and returns at once; `finished` runs on
// `dialogObject`'s thread when the command has ended.
void RunCommandThread(FrontEnd& dialog, QObject* dialogObject,
                      std::function<void(FrontEnd&)> command, std::function<void()> finished);

}  // namespace vomar::app
