// Setting and clearing environment variables in unit tests, the same way on
// every platform.
#ifndef QUILLMARK_TESTS_SUPPORT_TEST_ENVIRONMENT_H_
#define QUILLMARK_TESTS_SUPPORT_TEST_ENVIRONMENT_H_

#include <cstdlib>
#include <string>

namespace testsupport {

inline void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline void ClearVariable(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

}  // namespace testsupport

#endif  // QUILLMARK_TESTS_SUPPORT_TEST_ENVIRONMENT_H_
