#pragma once
// The exit code of a test program in which a test skipped and none failed;
// ctest knows it as the tests' SKIP_RETURN_CODE (tests/CMakeLists.txt).

namespace qxtest {

inline constexpr int kSkippedExitCode = 77;

}  // namespace qxtest
