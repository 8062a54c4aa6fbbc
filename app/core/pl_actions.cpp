#include "app/core/pl_actions.h"

#include <array>
#include <utility>

namespace {

constexpr std::string_view kPrefix = "parlino-action ";

constexpr std::array<std::pair<PlAction, std::string_view>, 6> kNames{{
    {PlAction::Write, "write"},
    {PlAction::Reply, "reply"},
    {PlAction::Archive, "archive"},
    {PlAction::Search, "search"},
    {PlAction::Options, "options"},
    {PlAction::Exit, "exit"},
}};

}  // namespace

std::string_view PlActionName(PlAction action)
{
    for (const auto& [value, name] : kNames)
        if (value == action)
            return name;
    return {};
}

std::optional<PlAction> PlActionFromName(std::string_view name)
{
    for (const auto& [value, known] : kNames)
        if (known == name)
            return value;
    return std::nullopt;
}

std::string PlEncodeAction(PlAction action)
{
    return std::string(kPrefix) + std::string(PlActionName(action)) + "\n";
}

std::optional<PlAction> PlDecodeAction(std::span<const char> bytes)
{
    const std::string_view text(bytes.data(), bytes.size());
    if (text.size() > kMaxActionMessage || !text.starts_with(kPrefix) || !text.ends_with('\n'))
        return std::nullopt;
    return PlActionFromName(text.substr(kPrefix.size(), text.size() - kPrefix.size() - 1));
}
