#include "transport/messaging/pl_single_block_refusals.h"

#include "platform/config/pl_config_file.h"
#include "platform/config/pl_config_text.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024;
constexpr std::size_t kMaxNameBytes = 255;  // a longer recipient is refused before any session

// One line per peer: the name, a tab, the Unix time of the refusal. A name
// with a control character is never written (it could not be read back).
bool Storable(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxNameBytes &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

void PlSingleBlockRefusals::KeepIn(const std::string& file)
{
    std::lock_guard lock(mutex_);
    file_ = file;
    Load();
}

bool PlSingleBlockRefusals::Refuses(const std::string& peer) const
{
    std::lock_guard lock(mutex_);
    return peers_.contains(peer);
}

void PlSingleBlockRefusals::Remember(const std::string& peer)
{
    std::lock_guard lock(mutex_);
    if (!file_.empty())
        Load();  // what other processes added since, so that the save keeps it
    peers_[peer] = Clock::now();
    KeepNewest();
    if (!file_.empty())
        Save();
}

// Lines that do not read as a name and a time, and refusals older than the
// time they are kept for, are left out; so is anything after the size limit.
void PlSingleBlockRefusals::Load()
{
    const pl::ConfigFileContents contents = pl::ReadConfigFile(file_, kMaxFileBytes);
    if (contents.state != pl::ConfigFileContents::State::Read)
        return;
    std::string_view text = contents.bytes;
    if (contents.truncated)
        text = text.substr(0, text.rfind('\n') + 1);  // the last line was cut by the limit
    const auto now = Clock::now();
    pl::ForEachLine(text, [&](std::string_view line) {
        const std::size_t tab = line.rfind('\t');
        if (tab == std::string_view::npos || !Storable(line.substr(0, tab)))
            return;
        long long seconds = 0;
        const std::string_view number = line.substr(tab + 1);
        const auto [next, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
        if (error != std::errc() || next != number.data() + number.size())
            return;
        const Clock::time_point when{std::chrono::seconds(seconds)};
        if (when > now || now - when > kKeptFor)
            return;
        auto& kept = peers_[std::string(line.substr(0, tab))];
        kept = std::max(kept, when);
    });
    KeepNewest();
}

void PlSingleBlockRefusals::KeepNewest()
{
    while (peers_.size() > kMaxPeers)
        peers_.erase(std::min_element(peers_.begin(), peers_.end(),
                                      [](const auto& a, const auto& b) { return a.second < b.second; }));
}

void PlSingleBlockRefusals::Save() const
{
    std::string text;
    for (const auto& [peer, when] : peers_) {
        if (!Storable(peer))
            continue;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
        text += peer + '\t' + std::to_string(seconds) + '\n';
    }
    pl::WriteFileAtomically(file_, text, 0600);  // a cache: on failure the refusal stays in memory only
}
