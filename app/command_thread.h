// Runs one command of the dialog (the Download command, the page job) on a worker
// thread, with a WorkerFrontEnd in place of the dialog.
#pragma once

#include <QObject>
#include <functional>

#include "download/front_end.h"

namespace vomar::app {

// Starts `command` on a new thread and returns at once; `finished` runs on
// `dialogObject`'s thread when the command has ended.
void RunCommandThread(FrontEnd& dialog, QObject* dialogObject,
                      std::function<void(FrontEnd&)> command, std::function<void()> finished);

}  // namespace vomar::app
