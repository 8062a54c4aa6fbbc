#pragma once
// PlRegistryFile: the per-user registry file, the stand-in for the current
// user's registry hive. Every reader loads the whole file and every writer
// replaces it atomically (temporary file, then rename), so that a crash
// never leaves a half-written file and a person may edit it between runs.
//
// A file that was found damaged when read is kept as "<file>.damaged" when
// it is next replaced, so that nothing a person wrote is lost silently.
//
// Not thread-safe; the settings use it on the user-interface thread only.

#include "platform/registry/pl_registry_hive.h"

#include <cstddef>
#include <string>

class PlRegistryFile {
public:
    // Files larger than this are read only up to it (and count as damaged).
    static constexpr std::size_t kFileLimit = 4 * 1024 * 1024;

    enum class State {
        Loaded,      // the file was read (perhaps with damaged lines)
        Missing,     // no file yet: an empty hive
        Unreadable,  // the file exists but cannot be read: an empty hive
    };

    struct Snapshot {
        PlRegistryHive hive;
        State state = State::Missing;
        std::size_t damagedLines = 0;
    };

    explicit PlRegistryFile(std::string path);

    // $XDG_CONFIG_HOME/parlino/registry.reg
    static std::string DefaultPath();

    const std::string& Path() const { return path_; }

    Snapshot Read();
    // Replaces the file with the hive; false when it could not be written
    // (the old file then stays as it was).
    bool Write(const PlRegistryHive& hive);

private:
    void KeepDamagedCopy();

    std::string path_;
    bool damaged_ = false;  // the last Read found damage not yet kept aside
};
