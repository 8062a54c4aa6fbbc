#include "platform/netbios/nb_browse_codec.h"

#include "platform/bytes/pl_le_bytes.h"

#include <algorithm>
#include <cstdio>

namespace pl::nb {

namespace {

constexpr std::size_t kNameOffset = 6;
constexpr std::size_t kNameField = 16;
constexpr std::size_t kCommentOffset = 32;
constexpr std::size_t kMaxComment = 43;  // with its NUL
constexpr std::size_t kMaxResponseName = 16;
constexpr std::uint16_t kSignature = 0xAA55;
constexpr std::uint8_t kBrowserVersionMajor = 0x0F;
constexpr std::uint8_t kBrowserVersionMinor = 0x01;

// The text up to the first NUL of at most `limit` bytes from `offset`.
std::string TextAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t limit)
{
    if (offset >= bytes.size())
        return {};
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto last = first + static_cast<std::ptrdiff_t>(std::min(limit, bytes.size() - offset));
    return std::string(first, std::find(first, last, 0));
}

bool IsAnnouncement(std::uint8_t opcode)
{
    return opcode == kBrowseHostAnnouncement || opcode == kBrowseDomainAnnouncement ||
           opcode == kBrowseLocalMasterAnnouncement;
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t field, bool pad)
{
    const std::string cut = text.substr(0, std::min(text.find('\0'), field - 1));
    out.insert(out.end(), cut.begin(), cut.end());
    out.resize(out.size() + (pad ? field - cut.size() : 1), 0);
}

}  // namespace

std::optional<NbBrowseFrame> DecodeBrowseFrame(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (bytes.empty()) {
        if (error != nullptr)
            *error = "empty browser frame";
        return std::nullopt;
    }
    NbBrowseFrame frame;
    frame.opcode = bytes[0];
    if (frame.opcode == kBrowseAnnouncementRequest) {
        frame.responseName = TextAt(bytes, 2, kMaxResponseName);
        return frame;
    }
    if (!IsAnnouncement(frame.opcode))
        return frame;
    if (bytes.size() < kCommentOffset) {
        if (error != nullptr)
            *error = "truncated announcement";
        return std::nullopt;
    }
    NbBrowseAnnouncement announcement;
    announcement.opcode = frame.opcode;
    announcement.periodicityMs = GetLe32(bytes, 2);
    announcement.name = TextAt(bytes, kNameOffset, kNameField);
    announcement.versionMajor = bytes[22];
    announcement.versionMinor = bytes[23];
    announcement.serverType = GetLe32(bytes, 24);
    announcement.comment = TextAt(bytes, kCommentOffset, kMaxComment);
    frame.announcement = std::move(announcement);
    return frame;
}

std::vector<std::uint8_t> EncodeAnnouncement(const NbBrowseAnnouncement& announcement)
{
    std::vector<std::uint8_t> out{announcement.opcode, 0};
    PutLe32(out, announcement.periodicityMs);
    PutText(out, announcement.name, kNameField, true);
    out.push_back(announcement.versionMajor);
    out.push_back(announcement.versionMinor);
    PutLe32(out, announcement.serverType);
    out.push_back(kBrowserVersionMajor);
    out.push_back(kBrowserVersionMinor);
    PutLe16(out, kSignature);
    PutText(out, announcement.comment, kMaxComment, false);
    return out;
}

std::vector<std::uint8_t> EncodeAnnouncementRequest(const std::string& responseName)
{
    std::vector<std::uint8_t> out{kBrowseAnnouncementRequest, 0};
    PutText(out, responseName, kMaxResponseName, false);
    return out;
}

std::string DescribeBrowseFrame(const NbBrowseFrame& frame)
{
    char opcode[8];
    std::snprintf(opcode, sizeof opcode, "0x%02X", frame.opcode);
    if (frame.opcode == kBrowseAnnouncementRequest)
        return "browser announcement request from " + frame.responseName;
    if (!frame.announcement)
        return std::string("browser frame ") + opcode;
    const NbBrowseAnnouncement& a = *frame.announcement;
    char type[16];
    std::snprintf(type, sizeof type, "%08X", a.serverType);
    return std::string("browser announcement ") + opcode + " " + a.name + " type " + type + " every " +
           std::to_string(a.periodicityMs) + " ms, \"" + a.comment + "\"";
}

}  // namespace pl::nb
