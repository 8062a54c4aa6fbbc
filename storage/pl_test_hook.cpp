#include "storage/pl_test_hook.h"

#ifdef PL_TEST_HOOKS

#include <memory>
#include <mutex>

namespace pl::test_hook {
namespace {

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<const Hook>& Current()
{
    static std::shared_ptr<const Hook> hook;
    return hook;
}

}  // namespace

void Install(Hook hook)
{
    std::shared_ptr<const Hook> next = hook ? std::make_shared<const Hook>(std::move(hook)) : nullptr;
    std::lock_guard guard(Lock());
    Current().swap(next);
}

void Run(std::string_view point)
{
    std::shared_ptr<const Hook> hook;
    {
        std::lock_guard guard(Lock());
        hook = Current();
    }
    if (hook)
        (*hook)(point);
}

}  // namespace pl::test_hook

#endif
