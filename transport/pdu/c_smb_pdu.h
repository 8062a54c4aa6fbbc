#pragma once
// CSmbPdu: an SMB core-protocol message (32-byte header, parameter words and a
// data section), the base of the four messenger commands. The fields are the
// wire fields; multi-byte integers go on the wire little-endian.
//
// Decoding takes only what was really received: a WordCount or ByteCount that
// claims more than the buffer holds (or more than fits the 512- and 1024-byte
// areas) is cut to what was there, and the counts are set to what was decoded.

#include "transport/pdu/c_protocol_data_unit.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class CSmbPdu : public CProtocolDataUnit {
public:
    static constexpr int kHeaderSize = 32;
    static constexpr int kParameterAreaSize = 512;
    static constexpr int kBufferAreaSize = 1024;

    std::array<std::uint8_t, 4> Protocol{};
    std::uint8_t Command = 0;
    std::uint8_t ErrorClass = 0;
    std::uint8_t Reserved = 0;
    std::uint16_t ErrorCode = 0;
    std::uint8_t Flags = 0;
    std::array<std::uint8_t, 14> ReservedWords{};
    std::uint16_t Tid = 0;
    std::uint16_t Pid = 0;
    std::uint16_t Uid = 0;
    std::uint16_t Mid = 0;
    std::uint8_t WordCount = 0;
    std::array<std::uint8_t, kParameterAreaSize> ParameterWords{};
    std::uint16_t ByteCount = 0;
    std::array<std::uint8_t, kBufferAreaSize> Buffer{};

    CSmbPdu();

    void Encode(CPduBuffer& buffer) override;
    void Decode(CPduBuffer& buffer) override;
    void Reset() override;

    // The message group id: parameter word 0 (WordCount becomes 1).
    void SetGroupId(std::uint16_t id);
    // Parameter word 0, or 0 when the PDU carries no parameter words.
    std::uint16_t GroupId() const;

    // The data section as received or last encoded.
    std::string_view Data() const;

protected:
    // Writes the command's data section into `scratch` (nothing by default).
    virtual void BuildData(CPduBuffer& scratch);
    // Picks the command's fields out of the decoded data section.
    virtual void ParseData() {}

private:
    void EncodeHeader(CPduBuffer& buffer) const;
};
