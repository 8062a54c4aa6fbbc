#include "app/settings/pl_options.h"

#include "app/settings/pl_option_hooks.h"
#include "app/settings/pl_option_table.h"

#include <utility>

namespace {

bool IsHotKey(std::int32_t id)
{
    return id >= pl::option_id::kHotKeyWriteNewMsg && id <= pl::option_id::kHotKeyBrowseLan;
}

// A REG_SZ value loads as text whatever the option's kind; any other type as
// a 32-bit number.
OptionValue FromRegistry(const PlRegistryValue& value)
{
    if (value.type == kPlRegSz)
        return OptionValue::FromText(value.AsText());
    return OptionValue::FromInteger(static_cast<std::int32_t>(value.AsNumber()));
}

PlRegistryValue ToRegistry(const PlOptionRow& row, const OptionValue& value)
{
    if (row.kind == PlOptionRegKind::Number)
        return PlRegistryValue::Dword(static_cast<std::uint32_t>(value.Integer()));
    return PlRegistryValue::Text(value.Text());
}

}  // namespace

PlOptions::PlOptions(PlRegistryFile& registry, const PlAutostart& autostart, std::string programPath)
    : registry_(registry), autostart_(autostart), programPath_(std::move(programPath))
{
}

OptionValue& PlOptions::Option(std::int32_t id)
{
    return current_[id];
}

OptionValue PlOptions::EditedOption(std::int32_t id)
{
    const auto at = pending_.find(id);
    return at != pending_.end() ? at->second : current_[id];
}

void PlOptions::SetPendingOption(std::int32_t id, const OptionValue& value)
{
    pending_[id] = value;
}

void PlOptions::ClearPendingOptions()
{
    pending_.clear();
}

void PlOptions::ApplyPendingOptions(PlOptionHooks& hooks)
{
    for (const auto& [id, value] : pending_)
        if (IsHotKey(id))
            hooks.UnregisterHotKey(id);
    for (const auto& [id, value] : pending_) {
        current_[id] = value;
        if (id == pl::option_id::kMsgArcOnTop)
            hooks.SetArchiveTopmost(value.Integer() != 0);
        else if (id == pl::option_id::kMsgArcShowDays)
            hooks.SetArchiveShowDays(PlArchiveShowDays(value));
        else if (IsHotKey(id))
            hooks.RegisterHotKey(id, value.Integer());
    }
    // Enabling or disabling comes last, after every changed key is registered
    // again, so the dispatcher never runs with a key missing.
    if (const auto enabled = pending_.find(pl::option_id::kHotKeyEnabled); enabled != pending_.end())
        hooks.EnableHotKeys(enabled->second.Integer() != 0);
    SaveOptions();
}

void PlOptions::LoadOptions()
{
    const PlRegistryFile::Snapshot snapshot = registry_.Read();
    if (snapshot.state != PlRegistryFile::State::Unreadable)
        LoadFromHive(snapshot.hive);
    current_[pl::option_id::kAutostart] = OptionValue::FromInteger(autostart_.IsOn() ? 1 : 0);
}

void PlOptions::LoadFromHive(const PlRegistryHive& hive)
{
    const std::string key = PlRegistryHive::CurrentUserPath(kPlOptionsKey);
    for (const auto& [id, row] : PlOptionTable()) {
        if (row.valueName == nullptr)
            continue;
        const PlRegistryValue* stored = hive.Find(key, row.valueName);
        current_[id] = stored != nullptr ? FromRegistry(*stored) : row.defaultValue;
    }
}

void PlOptions::SaveOptions()
{
    // Failures to write are not reported: the options stay in force for this
    // run and the file keeps its previous contents.
    PlRegistryFile::Snapshot snapshot = registry_.Read();
    if (snapshot.state != PlRegistryFile::State::Unreadable) {
        const std::string key = PlRegistryHive::CurrentUserPath(kPlOptionsKey);
        for (const auto& [id, row] : PlOptionTable())
            if (row.valueName != nullptr)
                snapshot.hive.Set(key, row.valueName, ToRegistry(row, current_[id]));
        registry_.Write(snapshot.hive);
    }
    if (current_[pl::option_id::kAutostart].Integer() == 1)
        autostart_.TurnOn(programPath_);
    else
        autostart_.TurnOff();
}
