#include "app/command_thread.h"

#include <QThread>
#include <memory>

#include "app/worker_front_end.h"

namespace vomar::app {

void RunCommandThread(FrontEnd& dialog, QObject* dialogObject,
                      std::function<void(FrontEnd&)> command, std::function<void()> finished) {
  auto front = std::make_shared<WorkerFrontEnd>(dialog, dialogObject);
  QThread* thread = QThread::create([front, command = std::move(command)] { command(*front); });
  QObject::connect(thread, &QThread::finished, dialogObject,
                   [thread, finished = std::move(finished)] {
                     thread->deleteLater();
                     finished();
                   });
  thread->start();
}

}  // namespace vomar::app
