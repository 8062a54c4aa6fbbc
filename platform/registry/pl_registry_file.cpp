#include "platform/registry/pl_registry_file.h"

#include "platform/config/pl_config_file.h"
#include "platform/config/pl_config_text.h"
#include "platform/registry/pl_regedit4.h"
#include "platform/xdg/pl_xdg_paths.h"

#include <unistd.h>

#include <utility>

PlRegistryFile::PlRegistryFile(std::string path) : path_(std::move(path)) {}

std::string PlRegistryFile::DefaultPath()
{
    return pl::XdgConfigHome() + "/parlino/registry.reg";
}

PlRegistryFile::Snapshot PlRegistryFile::Read()
{
    Snapshot snapshot;
    const pl::ConfigFileContents contents = pl::ReadConfigFile(path_, kFileLimit);
    switch (contents.state) {
    case pl::ConfigFileContents::State::Missing:
        damaged_ = false;
        snapshot.state = State::Missing;
        return snapshot;
    case pl::ConfigFileContents::State::Unreadable:
        damaged_ = false;
        snapshot.state = State::Unreadable;
        return snapshot;
    case pl::ConfigFileContents::State::Read: break;
    }
    pl::regedit4::ParseResult parsed = pl::regedit4::Parse(pl::DecodeConfigText(contents.bytes));
    snapshot.hive = std::move(parsed.hive);
    snapshot.state = State::Loaded;
    snapshot.damagedLines = parsed.damagedLines + (contents.truncated ? 1 : 0);
    damaged_ = snapshot.damagedLines > 0;
    return snapshot;
}

bool PlRegistryFile::Write(const PlRegistryHive& hive)
{
    if (damaged_)
        KeepDamagedCopy();
    if (!pl::WriteFileAtomically(path_, pl::regedit4::Format(hive), 0600))
        return false;
    damaged_ = false;
    return true;
}

void PlRegistryFile::KeepDamagedCopy()
{
    // A hard link keeps the damaged bytes without copying them; the rename of
    // the new file then leaves the link holding the old contents.
    const std::string file = pl::FollowSymlinks(path_);
    const std::string copy = file + ".damaged";
    ::unlink(copy.c_str());
    ::link(file.c_str(), copy.c_str());
}
