// Runs work of the dialog on a worker thread, with a WorkerFrontEnd in place of the
// dialog: the long commands (the Download command, the page job), and the checks, which
// may wait for the spooler too.
#pragma once

#include <QObject>
#include <functional>

#include "commands/front_end.h"

namespace vomar::app {

// Starts `command` on a new thread and returns at once; `finished` runs on
// `dialogObject`'s thread when the command has ended.
void RunCommandThread(FrontEnd& dialog, QObject* dialogObject,
                      std::function<void(FrontEnd&)> command, std::function<void()> finished);

// Runs `check` on a new thread and returns when it has ended. Meanwhile the dialog's
// thread keeps painting and shows the check's message boxes; user input waits until the
// check has ended, so it reaches the controls in the order given.
void RunCheckThread(FrontEnd& dialog, QObject* dialogObject,
                    std::function<void(FrontEnd&)> check);

}  // namespace vomar::app
