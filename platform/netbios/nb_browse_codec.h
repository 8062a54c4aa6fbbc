#pragma once
// The browser frames heard and sent on \MAILSLOT\BROWSE (and \MAILSLOT\LANMAN):
// host, local master and domain announcements and the announcement request.
// Pure functions with a one-line printer.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

inline constexpr std::uint8_t kBrowseHostAnnouncement = 0x01;
inline constexpr std::uint8_t kBrowseAnnouncementRequest = 0x02;
inline constexpr std::uint8_t kBrowseDomainAnnouncement = 0x0C;
inline constexpr std::uint8_t kBrowseLocalMasterAnnouncement = 0x0F;

inline constexpr std::uint32_t kServerTypeWorkstation = 0x00000001;
inline constexpr std::uint32_t kServerTypeServer = 0x00000002;
inline constexpr std::uint32_t kServerTypeNt = 0x00001000;
inline constexpr std::uint32_t kServerTypeDomainEnum = 0x80000000;

inline constexpr const char* kBrowseMailslot = "\\MAILSLOT\\BROWSE";
inline constexpr const char* kLanmanMailslot = "\\MAILSLOT\\LANMAN";

// A host, local master or domain announcement. For a domain announcement
// `name` is the domain or workgroup and `comment` its master browser's name.
struct NbBrowseAnnouncement {
    std::uint8_t opcode = kBrowseHostAnnouncement;
    std::uint32_t periodicityMs = 0;
    std::string name;
    std::uint8_t versionMajor = 0;
    std::uint8_t versionMinor = 0;
    std::uint32_t serverType = 0;
    std::string comment;
};

struct NbBrowseFrame {
    std::uint8_t opcode = 0;
    std::optional<NbBrowseAnnouncement> announcement;  // the announcements
    std::string responseName;                          // the announcement request
};

// Decodes one frame; frames of other opcodes decode to their opcode alone.
// Names are read only inside their 16-byte field, comments at most 43 bytes.
std::optional<NbBrowseFrame> DecodeBrowseFrame(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
// Names longer than 15 bytes and comments longer than 42 are cut.
std::vector<std::uint8_t> EncodeAnnouncement(const NbBrowseAnnouncement& announcement);
std::vector<std::uint8_t> EncodeAnnouncementRequest(const std::string& responseName);
std::string DescribeBrowseFrame(const NbBrowseFrame& frame);

}  // namespace pl::nb
