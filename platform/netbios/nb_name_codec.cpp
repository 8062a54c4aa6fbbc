#include "platform/netbios/nb_name_codec.h"

#include <algorithm>
#include <cstdio>

namespace pl::nb {

namespace {

constexpr std::size_t kEncodedLength = 32;
constexpr std::size_t kMaxNameLength = 255;
constexpr int kMaxPointers = 16;

bool DecodeFirstLevel(std::span<const std::uint8_t> label, NetbiosNameBytes& bytes)
{
    for (std::size_t i = 0; i < kNetbiosNameLength; ++i) {
        const int high = label[2 * i] - 'A';
        const int low = label[2 * i + 1] - 'A';
        if (high < 0 || high > 15 || low < 0 || low > 15)
            return false;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

}  // namespace

NbName WildcardName()
{
    NbName name;
    name.bytes.fill(0);
    name.bytes[0] = '*';
    return name;
}

void EncodeName(const NbName& name, std::vector<std::uint8_t>& out)
{
    out.push_back(static_cast<std::uint8_t>(kEncodedLength));
    for (const std::uint8_t byte : name.bytes) {
        out.push_back(static_cast<std::uint8_t>('A' + (byte >> 4)));
        out.push_back(static_cast<std::uint8_t>('A' + (byte & 0x0F)));
    }
    std::size_t start = 0;
    while (start < name.scope.size()) {
        std::size_t end = name.scope.find('.', start);
        if (end == std::string::npos)
            end = name.scope.size();
        const std::size_t length = std::min<std::size_t>(end - start, 63);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), name.scope.begin() + static_cast<std::ptrdiff_t>(start),
                   name.scope.begin() + static_cast<std::ptrdiff_t>(start + length));
        start = end + 1;
    }
    out.push_back(0);
}

std::size_t EncodedNameSize(const NbName& name)
{
    std::vector<std::uint8_t> scratch;
    EncodeName(name, scratch);
    return scratch.size();
}

bool DecodeName(std::span<const std::uint8_t> packet, std::size_t& offset, NbName& name, bool allowPointers)
{
    std::size_t pos = offset;
    std::size_t resume = 0;  // where the caller continues once a pointer was taken
    int pointers = 0;
    std::size_t total = 0;
    bool first = true;
    std::string scope;
    for (;;) {
        if (pos >= packet.size())
            return false;
        const std::uint8_t length = packet[pos];
        if ((length & 0xC0) == 0xC0) {
            if (!allowPointers || pos + 1 >= packet.size() || ++pointers > kMaxPointers)
                return false;
            const std::size_t target = static_cast<std::size_t>(length & 0x3F) << 8 | packet[pos + 1];
            if (target >= pos)
                return false;  // only backward pointers: no loops
            if (resume == 0)
                resume = pos + 2;
            pos = target;
            continue;
        }
        if ((length & 0xC0) != 0)
            return false;
        ++pos;
        if (length == 0)
            break;
        if (pos + length > packet.size())
            return false;
        total += length + 1u;
        if (total > kMaxNameLength)
            return false;
        const auto label = packet.subspan(pos, length);
        if (first) {
            if (length != kEncodedLength || !DecodeFirstLevel(label, name.bytes))
                return false;
            first = false;
        } else {
            if (std::find(label.begin(), label.end(), '.') != label.end())
                return false;  // a dot inside a scope label could not be told from a label boundary
            if (!scope.empty())
                scope += '.';
            scope.append(label.begin(), label.end());
        }
        pos += length;
    }
    if (first)
        return false;
    name.scope = std::move(scope);
    offset = resume != 0 ? resume : pos;
    return true;
}

std::string NameToText(std::span<const std::uint8_t, kNetbiosNameLength> bytes)
{
    std::string text;
    std::size_t end = kNetbiosNameLength - 1;
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == 0))
        --end;
    for (std::size_t i = 0; i < end; ++i)
        text += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "<%02X>", bytes[kNetbiosNameLength - 1]);
    return text + suffix;
}

std::string NameToText(const NbName& name)
{
    std::string text = NameToText(std::span<const std::uint8_t, kNetbiosNameLength>(name.bytes));
    if (!name.scope.empty())
        text += "." + name.scope;
    return text;
}

}  // namespace pl::nb
