#pragma once
// Interception points for tests. In a build configured with tests
// (PL_TEST_HOOKS defined), PL_TEST_HOOK("point") calls the function a test
// installed, so that the test can act between two steps of an operation
// (insert a row between the read and the delete of a row, say); elsewhere
// the macro compiles to nothing.
//
// Threads: Install may run while other threads pass hook points; the hook
// runs on the thread that reaches the point.

#ifdef PL_TEST_HOOKS

#include <functional>
#include <string_view>

namespace pl::test_hook {

using Hook = std::function<void(std::string_view point)>;

// Installs the hook (an empty one removes it).
void Install(Hook hook);
void Run(std::string_view point);

}  // namespace pl::test_hook

#define PL_TEST_HOOK(point) ::pl::test_hook::Run(point)

#else

#define PL_TEST_HOOK(point) static_cast<void>(0)

#endif
