#include "platform/registry/pl_registry_hive.h"

#include "platform/text/pl_case.h"

std::string PlRegistryHive::CurrentUserPath(std::string_view subkey)
{
    if (subkey.starts_with('\\'))
        subkey.remove_prefix(1);
    return "HKEY_CURRENT_USER\\" + std::string(subkey);
}

bool PlRegistryHive::HasKey(std::string_view path) const
{
    return Lookup(path) != nullptr;
}

void PlRegistryHive::CreateKey(std::string_view path)
{
    Create(path);
}

const PlRegistryValue* PlRegistryHive::Find(std::string_view path, std::string_view name) const
{
    const KeyIndex* key = Lookup(path);
    if (key == nullptr)
        return nullptr;
    const auto at = key->values.find(pl::UpperCase(name));
    return at == key->values.end() ? nullptr : &keys_[key->position].values[at->second].second;
}

void PlRegistryHive::Set(std::string_view path, std::string_view name, PlRegistryValue value)
{
    KeyIndex& key = Create(path);
    auto& values = keys_[key.position].values;
    const auto [at, inserted] = key.values.try_emplace(pl::UpperCase(name), values.size());
    if (inserted)
        values.emplace_back(std::string(name), std::move(value));
    else
        values[at->second].second = std::move(value);
}

void PlRegistryHive::Erase(std::string_view path, std::string_view name)
{
    KeyIndex* key = Lookup(path);
    if (key == nullptr)
        return;
    const auto at = key->values.find(pl::UpperCase(name));
    if (at == key->values.end())
        return;
    const std::size_t erased = at->second;
    auto& values = keys_[key->position].values;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(erased));
    key->values.erase(at);
    for (auto& [upper, position] : key->values)
        if (position > erased)
            --position;
}

PlRegistryHive::KeyIndex* PlRegistryHive::Lookup(std::string_view path)
{
    const auto at = index_.find(pl::UpperCase(path));
    return at == index_.end() ? nullptr : &at->second;
}

const PlRegistryHive::KeyIndex* PlRegistryHive::Lookup(std::string_view path) const
{
    const auto at = index_.find(pl::UpperCase(path));
    return at == index_.end() ? nullptr : &at->second;
}

PlRegistryHive::KeyIndex& PlRegistryHive::Create(std::string_view path)
{
    const auto [at, inserted] = index_.try_emplace(pl::UpperCase(path), KeyIndex{keys_.size(), {}});
    if (inserted)
        keys_.push_back(Key{std::string(path), {}});
    return at->second;
}
