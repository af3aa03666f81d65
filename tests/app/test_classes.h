// The Qt Test classes of the dialog tests, registered by name.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace vomar::testing {

struct TestClass {
  const char* name;
  std::function<std::unique_ptr<QObject>()> make;
};

std::vector<TestClass>& TestClasses();

// At namespace scope in a test file: const bool registered = RegisterTestClass<T>("T");
template <typename T>
bool RegisterTestClass(const char* name) {
  TestClasses().push_back({name, [] { return std::make_unique<T>(); }});
  return true;
}

}  // namespace vomar::testing
