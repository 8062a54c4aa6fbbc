#include "platform/netbios/nbdgm_codec.h"

#include "platform/netbios/nb_bytes.h"

#include <cstdio>

namespace pl::nb {

namespace {

constexpr std::size_t kDataHeaderSize = 14;

std::optional<NbDatagram> Fail(std::string* error, const char* what)
{
    if (error != nullptr)
        *error = what;
    return std::nullopt;
}

const char* TypeText(std::uint8_t type)
{
    switch (type) {
    case kDgmDirectUnique: return "direct unique";
    case kDgmDirectGroup: return "direct group";
    case kDgmBroadcast: return "broadcast";
    case kDgmError: return "error";
    case kDgmQueryRequest: return "query request";
    case kDgmPositiveQuery: return "positive query response";
    case kDgmNegativeQuery: return "negative query response";
    default: return "unknown";
    }
}

}  // namespace

std::optional<NbDatagram> DecodeDatagram(std::span<const std::uint8_t> bytes, std::string* error)
{
    NbReader reader(bytes);
    NbDatagram dgm;
    if (!reader.U8(dgm.type) || !reader.U8(dgm.flags) || !reader.U16(dgm.id) || !reader.U32(dgm.sourceAddress) ||
        !reader.U16(dgm.sourcePort))
        return Fail(error, "truncated datagram header");
    if (dgm.type == kDgmError) {
        if (!reader.U8(dgm.errorCode))
            return Fail(error, "truncated datagram error");
        return dgm;
    }
    if (dgm.type >= kDgmQueryRequest && dgm.type <= kDgmNegativeQuery) {
        if (!DecodeName(bytes, reader.Position(), dgm.destination, false))
            return Fail(error, "bad datagram query name");
        return dgm;
    }
    if (!dgm.IsData())
        return Fail(error, "unknown datagram type");
    std::uint16_t length = 0;
    if (!reader.U16(length) || !reader.U16(dgm.packetOffset))
        return Fail(error, "truncated datagram header");
    if (length > bytes.size() - kDataHeaderSize)
        return Fail(error, "datagram length beyond packet");
    const auto body = bytes.subspan(0, kDataHeaderSize + length);
    std::size_t offset = kDataHeaderSize;
    if (!DecodeName(body, offset, dgm.source, false) || !DecodeName(body, offset, dgm.destination, false))
        return Fail(error, "bad datagram name");
    dgm.data.assign(body.begin() + static_cast<std::ptrdiff_t>(offset), body.end());
    return dgm;
}

std::vector<std::uint8_t> EncodeDatagram(const NbDatagram& dgm)
{
    std::vector<std::uint8_t> out;
    out.push_back(dgm.type);
    out.push_back(dgm.flags);
    PutU16(out, dgm.id);
    PutU32(out, dgm.sourceAddress);
    PutU16(out, dgm.sourcePort);
    if (dgm.type == kDgmError) {
        out.push_back(dgm.errorCode);
        return out;
    }
    if (!dgm.IsData()) {
        EncodeName(dgm.destination, out);
        return out;
    }
    std::vector<std::uint8_t> body;
    EncodeName(dgm.source, body);
    EncodeName(dgm.destination, body);
    body.insert(body.end(), dgm.data.begin(), dgm.data.end());
    PutU16(out, static_cast<std::uint16_t>(body.size()));
    PutU16(out, dgm.packetOffset);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::string DescribeDatagram(const NbDatagram& dgm)
{
    char text[128];
    const std::uint32_t a = dgm.sourceAddress;
    std::snprintf(text, sizeof text, "DGM %s id=%04X from %u.%u.%u.%u:%u", TypeText(dgm.type), dgm.id, a >> 24,
                  a >> 16 & 0xFF, a >> 8 & 0xFF, a & 0xFF, dgm.sourcePort);
    // Appended piece by piece: GCC 12 at -O2 and above takes `" " + text`
    // for overlapping copies (-Wrestrict).
    std::string line = text;
    if (dgm.IsData()) {
        line.append(" ").append(NameToText(dgm.source)).append(" -> ").append(NameToText(dgm.destination));
        line.append(" len=").append(std::to_string(dgm.data.size()));
    } else if (dgm.type == kDgmError) {
        line.append(" code=").append(std::to_string(dgm.errorCode));
    } else {
        line.append(" ").append(NameToText(dgm.destination));
    }
    return line;
}

}  // namespace pl::nb
