#pragma once
// PlRegistryHive: the keys and values of the per-user registry file in
// memory. Key paths are full paths ("HKEY_CURRENT_USER\Software\...") and,
// like value names, compare case-insensitively; keys and values keep the
// order in which they were first created, so that a file keeps its layout.
//
// Not thread-safe; one owner at a time.

#include "platform/registry/pl_registry_value.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class PlRegistryHive {
public:
    struct Key {
        std::string path;
        std::vector<std::pair<std::string, PlRegistryValue>> values;
    };

    // The path under HKEY_CURRENT_USER of a subkey given as the Windows
    // program names it; a leading backslash is dropped.
    static std::string CurrentUserPath(std::string_view subkey);

    bool HasKey(std::string_view path) const;
    // Creates the key when missing.
    void CreateKey(std::string_view path);

    // nullptr when the key or the value is missing. The pointer stays valid
    // until the hive is next changed.
    const PlRegistryValue* Find(std::string_view path, std::string_view name) const;
    // Creates the key when missing; replaces a value of the same name.
    void Set(std::string_view path, std::string_view name, PlRegistryValue value);
    // Does nothing when the key or the value is missing.
    void Erase(std::string_view path, std::string_view name);

    const std::vector<Key>& Keys() const { return keys_; }

private:
    struct KeyIndex {
        std::size_t position;
        std::map<std::string, std::size_t> values;  // upper-case name -> position in Key::values
    };

    KeyIndex* Lookup(std::string_view path);
    const KeyIndex* Lookup(std::string_view path) const;
    KeyIndex& Create(std::string_view path);

    std::vector<Key> keys_;
    std::map<std::string, KeyIndex> index_;  // by upper-case path
};
