#pragma once
// One running messenger per user: the instance lock
// "PARLINOMESSENGER@" + the upper-cased user name, a lock file in the user's
// runtime folder. A second start of the same user finds it held and ends; a
// start after an instance was killed takes it (the kernel released it); two
// users each hold their own.

#include <memory>
#include <string>

#include "platform/process/pl_instance_lock.h"

// The lock file of `userName` in `folder` (default: the runtime folder).
std::string PlInstanceLockPath(const std::string& userName, const std::string& folder = {});

// Takes the lock of the local user; Held() tells whether this is the first
// instance.
std::unique_ptr<pl::PlInstanceLock> PlTakeInstanceLock();
