#include "tests/app/test_classes.h"

namespace vomar::testing {

std::vector<TestClass>& TestClasses() {
  static std::vector<TestClass> classes;
  return classes;
}

}  // namespace vomar::testing
