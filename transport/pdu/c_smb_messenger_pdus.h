#pragma once
// The four SMB messenger commands: single-block message (0xD0), start (0xD5),
// text (0xD7) and end (0xD6) of a multi-block message. Text fields hold UTF-8;
// Encode converts a copy to the OEM code page and Decode converts back.
// A reply is the same class after Reset (the start reply carries the group id).

#include "transport/pdu/c_smb_pdu.h"

#include <cstdint>
#include <string>

enum class SmbMessengerCommand : std::uint8_t {
    SendSingle = 0xD0,
    SendStart = 0xD5,
    SendEnd = 0xD6,
    SendText = 0xD7,
};

class CSmbPdu_sends : public CSmbPdu {
public:
    std::string Originator;
    std::string Destination;
    std::string Text;

    CSmbPdu_sends() { CSmbPdu_sends::Reset(); }
    void Reset() override;

protected:
    void BuildData(CPduBuffer& scratch) override;
    void ParseData() override;
};

class CSmbPdu_sendstrt : public CSmbPdu {
public:
    std::string Originator;
    std::string Destination;

    CSmbPdu_sendstrt() { CSmbPdu_sendstrt::Reset(); }
    void Reset() override;

protected:
    void BuildData(CPduBuffer& scratch) override;
    void ParseData() override;
};

class CSmbPdu_sendtxt : public CSmbPdu {
public:
    std::string Text;

    CSmbPdu_sendtxt() { CSmbPdu_sendtxt::Reset(); }
    void Reset() override;

protected:
    void BuildData(CPduBuffer& scratch) override;
    void ParseData() override;
};

class CSmbPdu_sendend : public CSmbPdu {
public:
    CSmbPdu_sendend() { CSmbPdu_sendend::Reset(); }
    void Reset() override;
};
