#pragma once
// CMailslotPdu: one broadcast message as it travels through the MESSNGR
// mailslot: originator, destination and text, each ended by a zero byte.
// Fields hold UTF-8; the names travel in the OEM code page, the text as the
// message text codec writes it (OEM, or raw UTF-8 when the code page cannot
// hold it; platform/text/pl_message_text.h).

#include "transport/pdu/c_protocol_data_unit.h"

#include <cstddef>
#include <string>

class CMailslotPdu : public CProtocolDataUnit {
public:
    std::string Originator;
    std::string Destination;
    std::string Text;

    // Throws std::length_error when the three texts do not fit the buffer.
    void Encode(CPduBuffer& buffer) override;
    // The datagram's length once encoded.
    std::size_t EncodedSize() const;
    // Each field runs to the next zero or the end of the data; what is missing
    // stays empty.
    void Decode(CPduBuffer& buffer) override;
    void Reset() override;
};
