#include "instlib/inst_service.h"

#include "instlib/inst_system_root.h"

#include <cerrno>
#include <string>
#include <vector>

namespace pl::inst {

namespace {

bool Mentions(const std::string& text, const char* phrase)
{
    return text.find(phrase) != std::string::npos;
}

ProcessResult Systemctl(std::vector<std::string> arguments)
{
    std::vector<std::string> argv{ToolPath("PARLINO_SYSTEMCTL", "systemctl"), "--no-pager"};
    if (!IsLiveSystem())
        argv.push_back("--root=" + SystemRoot());
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv);
}

// The unit is absent when systemctl says so on either stream (the wording
// differs between the manager and the offline unit-file code).
bool UnitIsMissing(const ProcessResult& result)
{
    return Mentions(result.output, "not-found") || Mentions(result.errors, "No such file or directory") ||
           Mentions(result.errors, "does not exist") || Mentions(result.errors, "not loaded");
}

}  // namespace

InstResult ResultForSystemctl(const ProcessResult& result)
{
    if (result.spawnError != 0)
        return result.spawnError == ENOENT ? InstResult::NotPresent : ResultForErrno(result.spawnError);
    const std::string& text = result.errors;
    if (Mentions(text, "Access denied") || Mentions(text, "Permission denied") ||
        Mentions(text, "Interactive authentication required") || Mentions(text, "Operation not permitted"))
        return InstResult::AccessDenied;
    if (Mentions(text, "has not been booted with systemd") || Mentions(text, "Failed to connect to bus") ||
        Mentions(text, "Failed to connect to system scope bus"))
        return InstResult::NotPresent;
    return InstResult::Failed;
}

InstResult DisableMessengerService()
{
    // Reach the service manager; a root image has none to reach.
    if (IsLiveSystem()) {
        const ProcessResult manager = Systemctl({"show", "--property=Version", "--value"});
        if (!manager.Succeeded())
            return ResultForSystemctl(manager);
    }
    // Find the unit. is-enabled exits non-zero for a disabled unit too, so
    // only a missing unit or a refusal stops here.
    const ProcessResult unit = Systemctl({"is-enabled", kMessengerServiceUnit});
    if (!unit.Succeeded()) {
        if (UnitIsMissing(unit))
            return InstResult::NotPresent;
        const InstResult cause = ResultForSystemctl(unit);
        if (cause != InstResult::Failed)
            return cause;
    }
    const ProcessResult disabled = Systemctl({"disable", kMessengerServiceUnit});
    if (!disabled.Succeeded())
        return ResultForSystemctl(disabled) == InstResult::AccessDenied ? InstResult::AccessDenied : InstResult::Failed;
    if (!IsLiveSystem())
        return InstResult::Success;  // nothing of an image runs
    // Ask for the stop without waiting for it; stopping a unit that is not
    // running succeeds.
    const ProcessResult stopped = Systemctl({"stop", "--no-block", kMessengerServiceUnit});
    if (!stopped.Succeeded())
        return ResultForSystemctl(stopped) == InstResult::AccessDenied ? InstResult::AccessDenied : InstResult::Failed;
    return InstResult::Success;
}

}  // namespace pl::inst
