#include "platform/netbios/nbns_codec.h"

#include "platform/netbios/nb_bytes.h"

#include <algorithm>
#include <cstdio>

namespace pl::nb {

namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::uint16_t kMaxSectionCount = 64;
constexpr std::size_t kStatisticsSize = 46;
constexpr std::size_t kStatusNameSize = 18;

bool Fail(std::string* error, const char* what)
{
    if (error != nullptr)
        *error = what;
    return false;
}

bool DecodeRecord(NbReader& reader, NbnsRecord& record)
{
    std::uint16_t length = 0;
    std::span<const std::uint8_t> rdata;
    if (!DecodeName(reader.Data(), reader.Position(), record.name, true) || !reader.U16(record.type) ||
        !reader.U16(record.cls) || !reader.U32(record.ttl) || !reader.U16(length) || !reader.Bytes(length, rdata))
        return false;
    record.rdata.assign(rdata.begin(), rdata.end());
    return true;
}

bool DecodeRecords(NbReader& reader, std::uint16_t count, std::vector<NbnsRecord>& records)
{
    records.resize(count);
    return std::all_of(records.begin(), records.end(), [&](NbnsRecord& r) { return DecodeRecord(reader, r); });
}

void EncodeRecordName(const NbnsPacket& packet, const NbName& name, std::vector<std::uint8_t>& out)
{
    if (!packet.questions.empty() && packet.questions.front().name == name) {
        out.push_back(0xC0);
        out.push_back(kHeaderSize);
    } else {
        EncodeName(name, out);
    }
}

void EncodeRecords(const NbnsPacket& packet, const std::vector<NbnsRecord>& records, std::vector<std::uint8_t>& out)
{
    for (const NbnsRecord& record : records) {
        EncodeRecordName(packet, record.name, out);
        PutU16(out, record.type);
        PutU16(out, record.cls);
        PutU32(out, record.ttl);
        PutU16(out, static_cast<std::uint16_t>(record.rdata.size()));
        out.insert(out.end(), record.rdata.begin(), record.rdata.end());
    }
}

const char* OpcodeText(NbnsOpcode opcode)
{
    switch (opcode) {
    case NbnsOpcode::Query: return "query";
    case NbnsOpcode::Registration: return "registration";
    case NbnsOpcode::Release: return "release";
    case NbnsOpcode::Wack: return "wack";
    case NbnsOpcode::Refresh:
    case NbnsOpcode::RefreshAlternative: return "refresh";
    }
    return "opcode?";
}

}  // namespace

std::optional<NbnsPacket> DecodeNbns(std::span<const std::uint8_t> bytes, std::string* error)
{
    NbReader reader(bytes);
    NbnsPacket packet;
    std::uint16_t counts[4] = {};
    if (!reader.U16(packet.transactionId) || !reader.U16(packet.flags) || !reader.U16(counts[0]) ||
        !reader.U16(counts[1]) || !reader.U16(counts[2]) || !reader.U16(counts[3])) {
        Fail(error, "truncated NBNS header");
        return std::nullopt;
    }
    if (std::any_of(std::begin(counts), std::end(counts), [](std::uint16_t c) { return c > kMaxSectionCount; })) {
        Fail(error, "NBNS section count too large");
        return std::nullopt;
    }
    packet.questions.resize(counts[0]);
    for (NbnsQuestion& question : packet.questions) {
        if (!DecodeName(bytes, reader.Position(), question.name, true) || !reader.U16(question.type) ||
            !reader.U16(question.cls)) {
            Fail(error, "bad NBNS question");
            return std::nullopt;
        }
    }
    if (!DecodeRecords(reader, counts[1], packet.answers) || !DecodeRecords(reader, counts[2], packet.authorities) ||
        !DecodeRecords(reader, counts[3], packet.additionals)) {
        Fail(error, "bad NBNS resource record");
        return std::nullopt;
    }
    return packet;
}

std::vector<std::uint8_t> EncodeNbns(const NbnsPacket& packet)
{
    std::vector<std::uint8_t> out;
    out.reserve(128);
    PutU16(out, packet.transactionId);
    PutU16(out, packet.flags);
    PutU16(out, static_cast<std::uint16_t>(packet.questions.size()));
    PutU16(out, static_cast<std::uint16_t>(packet.answers.size()));
    PutU16(out, static_cast<std::uint16_t>(packet.authorities.size()));
    PutU16(out, static_cast<std::uint16_t>(packet.additionals.size()));
    for (const NbnsQuestion& question : packet.questions) {
        EncodeName(question.name, out);
        PutU16(out, question.type);
        PutU16(out, question.cls);
    }
    EncodeRecords(packet, packet.answers, out);
    EncodeRecords(packet, packet.authorities, out);
    EncodeRecords(packet, packet.additionals, out);
    return out;
}

std::string DescribeNbns(const NbnsPacket& packet)
{
    char head[96];
    std::snprintf(head, sizeof head, "NBNS id=%04X %s %s%s rcode=%u", packet.transactionId, OpcodeText(packet.Opcode()),
                  packet.IsResponse() ? "response" : "request", (packet.flags & kNbnsBroadcast) != 0 ? " bcast" : "",
                  packet.Rcode());
    std::string text = head;
    for (const NbnsQuestion& q : packet.questions)
        text += (q.type == kTypeNbstat ? " Q NBSTAT " : " Q NB ") + NameToText(q.name);
    for (const NbnsRecord& r : packet.answers) {
        char tail[48];
        std::snprintf(tail, sizeof tail, " ttl=%u len=%zu", r.ttl, r.rdata.size());
        text += (r.type == kTypeNbstat ? " AN NBSTAT " : " AN NB ") + NameToText(r.name) + tail;
    }
    for (const NbnsRecord& r : packet.additionals) {
        const auto entries = DecodeNbRdata(r.rdata);
        char tail[48] = "";
        if (!entries.empty()) {
            const std::uint32_t a = entries.front().address;
            std::snprintf(tail, sizeof tail, " %u.%u.%u.%u", a >> 24, a >> 16 & 0xFF, a >> 8 & 0xFF, a & 0xFF);
        }
        text += " AR " + NameToText(r.name) + tail;
    }
    return text;
}

std::vector<NbAddressEntry> DecodeNbRdata(std::span<const std::uint8_t> rdata)
{
    std::vector<NbAddressEntry> entries;
    NbReader reader(rdata);
    NbAddressEntry entry;
    while (reader.Remaining() >= 6 && reader.U16(entry.flags) && reader.U32(entry.address))
        entries.push_back(entry);
    return entries;
}

std::vector<std::uint8_t> EncodeNbRdata(std::span<const NbAddressEntry> entries)
{
    std::vector<std::uint8_t> out;
    for (const NbAddressEntry& entry : entries) {
        PutU16(out, entry.flags);
        PutU32(out, entry.address);
    }
    return out;
}

std::optional<NodeStatus> DecodeNodeStatus(std::span<const std::uint8_t> rdata)
{
    NbReader reader(rdata);
    std::uint8_t count = 0;
    if (!reader.U8(count) || reader.Remaining() < count * kStatusNameSize)
        return std::nullopt;
    NodeStatus status;
    status.names.resize(count);
    for (NodeStatusName& name : status.names) {
        std::span<const std::uint8_t> bytes;
        reader.Bytes(kNetbiosNameLength, bytes);
        std::copy(bytes.begin(), bytes.end(), name.name.begin());
        reader.U16(name.flags);
    }
    std::span<const std::uint8_t> unit;
    const std::size_t unitBytes = std::min<std::size_t>(reader.Remaining(), status.unitId.size());
    reader.Bytes(unitBytes, unit);
    std::copy(unit.begin(), unit.end(), status.unitId.begin());
    return status;
}

std::vector<std::uint8_t> EncodeNodeStatus(const NodeStatus& status)
{
    std::vector<std::uint8_t> out;
    const std::size_t count = std::min<std::size_t>(status.names.size(), 255);
    out.push_back(static_cast<std::uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        out.insert(out.end(), status.names[i].name.begin(), status.names[i].name.end());
        PutU16(out, status.names[i].flags);
    }
    const std::size_t statistics = out.size();
    out.resize(statistics + kStatisticsSize, 0);
    std::copy(status.unitId.begin(), status.unitId.end(), out.begin() + static_cast<std::ptrdiff_t>(statistics));
    return out;
}

}  // namespace pl::nb
