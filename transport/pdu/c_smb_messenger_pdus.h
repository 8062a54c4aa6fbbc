#pragma once
// The four SMB messenger commands: single-block message (0xD0), start (0xD5),
// text (0xD7) and end (0xD6) of a multi-block message. Text fields hold UTF-8;
// Encode converts a copy to the OEM code page and Decode converts back (the
// message text by the message text codec, platform/text/pl_message_text.h).
// A reply is the same class after Reset (the start reply carries the group id).
//
// The message text's bytes as they travel are kept beside the text: Decode
// sets them, and a sender that set them gets them on the wire unchanged, since
// the blocks of one message are encoded and decoded as a whole, not one by one.

#include "transport/pdu/c_smb_pdu.h"

#include <cstdint>
#include <string>
#include <utility>

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

    // The text's bytes on the wire; when set, Encode sends them instead of
    // encoding Text.
    const std::string& TextBytes() const { return textBytes_; }
    void SetTextBytes(std::string bytes) { textBytes_ = std::move(bytes); }

protected:
    void BuildData(CPduBuffer& scratch) override;
    void ParseData() override;

private:
    std::string textBytes_;
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

    // The block's bytes on the wire; when set, Encode sends them instead of
    // encoding Text. Text decodes the block alone, which for a block cut from
    // raw UTF-8 may not be the right reading: the receiver joins the bytes of
    // all blocks and decodes them once.
    const std::string& TextBytes() const { return textBytes_; }
    void SetTextBytes(std::string bytes) { textBytes_ = std::move(bytes); }

protected:
    void BuildData(CPduBuffer& scratch) override;
    void ParseData() override;

private:
    std::string textBytes_;
};

class CSmbPdu_sendend : public CSmbPdu {
public:
    CSmbPdu_sendend() { CSmbPdu_sendend::Reset(); }
    void Reset() override;
};
