// Runs one Qt Test class of the dialog tests, named by the first argument (all without
// one); the remaining arguments go to Qt Test.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <vector>

#include "app/application_name.h"
#include "tests/app/test_classes.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(vomar::app::kApplicationName));
  const char* wanted = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  std::vector<char*> rest = {argv[0]};
  for (int k = wanted != nullptr ? 2 : 1; k < argc; ++k) rest.push_back(argv[k]);

  int failures = 0;
  bool ran = false;
  for (const vomar::testing::TestClass& test : vomar::testing::TestClasses()) {
    if (wanted != nullptr && std::strcmp(wanted, test.name) != 0) continue;
    ran = true;
    std::unique_ptr<QObject> object = test.make();
    failures += QTest::qExec(object.get(), static_cast<int>(rest.size()), rest.data());
  }
  return ran ? failures : 2;
}
