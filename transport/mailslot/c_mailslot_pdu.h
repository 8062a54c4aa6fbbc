#pragma once
// CMailslotPdu: one broadcast message as it travels through the MESSNGR
// mailslot: originator, destination and text, each in the OEM code page and
// ended by a zero byte. Fields hold UTF-8.

#include "transport/pdu/c_protocol_data_unit.h"

#include <string>

class CMailslotPdu : public CProtocolDataUnit {
public:
    std::string Originator;
    std::string Destination;
    std::string Text;

    // Throws std::length_error when the three texts do not fit the buffer.
    void Encode(CPduBuffer& buffer) override;
    // Each field runs to the next zero or the end of the data; what is missing
    // stays empty.
    void Decode(CPduBuffer& buffer) override;
    void Reset() override;
};
