#include "platform/netbios/nbss_codec.h"

#include <cstdio>

namespace pl::nb {

namespace {

bool KnownType(std::uint8_t type)
{
    return type == kNbssMessage || (type >= kNbssRequest && type <= kNbssKeepAlive);
}

const char* TypeText(std::uint8_t type)
{
    switch (type) {
    case kNbssMessage: return "message";
    case kNbssRequest: return "session request";
    case kNbssPositive: return "positive response";
    case kNbssNegative: return "negative response";
    case kNbssRetarget: return "retarget response";
    case kNbssKeepAlive: return "keep-alive";
    default: return "unknown";
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeNbss(std::uint8_t type, std::span<const std::uint8_t> payload)
{
    const auto length = static_cast<std::uint32_t>(payload.size());
    std::vector<std::uint8_t> out;
    out.reserve(kNbssHeaderSize + payload.size());
    out.push_back(type);
    out.push_back(static_cast<std::uint8_t>(length >> 16 & 0x01));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<std::uint8_t> EncodeSessionRequest(const NbssSessionRequest& request)
{
    std::vector<std::uint8_t> names;
    EncodeName(request.called, names);
    EncodeName(request.calling, names);
    return EncodeNbss(kNbssRequest, names);
}

std::optional<NbssSessionRequest> DecodeSessionRequest(std::span<const std::uint8_t> payload)
{
    NbssSessionRequest request;
    std::size_t offset = 0;
    if (!DecodeName(payload, offset, request.called, false) || !DecodeName(payload, offset, request.calling, false))
        return std::nullopt;
    return request;
}

std::string DescribeNbss(const NbssPacket& packet)
{
    char text[96];
    std::snprintf(text, sizeof text, "NBSS %s len=%zu", TypeText(packet.type), packet.payload.size());
    std::string line = text;
    if (packet.type == kNbssRequest) {
        if (const auto request = DecodeSessionRequest(packet.payload))
            line += " called=" + NameToText(request->called) + " calling=" + NameToText(request->calling);
    } else if (packet.type == kNbssNegative && !packet.payload.empty()) {
        std::snprintf(text, sizeof text, " error=0x%02X", packet.payload[0]);
        line += text;
    }
    return line;
}

bool NbssFramer::Feed(std::span<const std::uint8_t> bytes)
{
    if (failed_)
        return false;
    partial_.insert(partial_.end(), bytes.begin(), bytes.end());
    std::size_t pos = 0;
    while (partial_.size() - pos >= kNbssHeaderSize) {
        const std::uint8_t type = partial_[pos];
        const std::uint8_t flags = partial_[pos + 1];
        if (!KnownType(type) || (flags & 0xFE) != 0) {
            failed_ = true;
            partial_.clear();
            return false;
        }
        const std::size_t length = static_cast<std::size_t>(flags & 0x01) << 16 |
                                   static_cast<std::size_t>(partial_[pos + 2]) << 8 | partial_[pos + 3];
        if (partial_.size() - pos - kNbssHeaderSize < length)
            break;
        const auto begin = partial_.begin() + static_cast<std::ptrdiff_t>(pos + kNbssHeaderSize);
        ready_.push_back(
            NbssPacket{type, std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(length))});
        queuedBytes_ += length;
        pos += kNbssHeaderSize + length;
    }
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(pos));
    return true;
}

std::optional<NbssPacket> NbssFramer::Next()
{
    if (ready_.empty())
        return std::nullopt;
    NbssPacket packet = std::move(ready_.front());
    ready_.pop_front();
    queuedBytes_ -= packet.payload.size();
    return packet;
}

}  // namespace pl::nb
