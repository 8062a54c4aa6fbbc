#include "app/core/pl_single_instance.h"

#include "platform/identity/pl_local_user.h"
#include "platform/text/pl_case.h"
#include "platform/xdg/pl_xdg_paths.h"

std::string PlInstanceLockPath(const std::string& userName, const std::string& folder)
{
    return (folder.empty() ? pl::XdgRuntimeDir() : folder) + "/PARLINOMESSENGER@" + pl::UpperCase(userName);
}

std::unique_ptr<pl::PlInstanceLock> PlTakeInstanceLock()
{
    return std::make_unique<pl::PlInstanceLock>(PlInstanceLockPath(pl::LocalUserName()));
}
