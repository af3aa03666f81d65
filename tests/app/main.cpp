// Runs one Qt Test class of the dialog tests, named by the first argument (all without
// one); the remaining arguments go to Qt Test. A class that needs a real X server
// (VOMAR_TEST_XVFB=1) gets its own Xvfb on a free display, stopped by its PID at the end.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/application_name.h"
#include "tests/app/test_classes.h"

namespace {

// Starts Xvfb, which picks a free display number and writes it to a pipe; points Qt at
// it. Returns its PID, or -1.
pid_t StartXvfb() {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
           "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string display;
  for (char c; pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) display += c;
  close(fds[0]);
  if (display.empty()) return -1;
  setenv("DISPLAY", (":" + display).c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  return pid;
}

}  // namespace

int main(int argc, char** argv) {
  pid_t xvfb = 0;
  const char* wantX = std::getenv("VOMAR_TEST_XVFB");
  if (wantX != nullptr && std::strcmp(wantX, "1") == 0) {
    xvfb = StartXvfb();
    if (xvfb < 0) {
      std::fprintf(stderr, "app_tests: Xvfb did not start\n");
      return 1;
    }
  }
  int failures = 0;
  bool ran = false;
  {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(vomar::app::kApplicationName));
    const char* wanted = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> rest = {argv[0]};
    for (int k = wanted != nullptr ? 2 : 1; k < argc; ++k) rest.push_back(argv[k]);

    for (const vomar::testing::TestClass& test : vomar::testing::TestClasses()) {
      if (wanted != nullptr && std::strcmp(wanted, test.name) != 0) continue;
      ran = true;
      std::unique_ptr<QObject> object = test.make();
      failures += QTest::qExec(object.get(), static_cast<int>(rest.size()), rest.data());
    }
  }
  if (xvfb > 0) {
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
  }
  return ran ? failures : 2;
}
