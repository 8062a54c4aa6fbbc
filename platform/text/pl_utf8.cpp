#include "platform/text/pl_utf8.h"

namespace pl::utf8 {
namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t SequenceLength(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    if (at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(at(i)))
            return 0;
    return length;
}

bool IsValid(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = SequenceLength(text, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

bool IsNonAsciiUtf8(std::string_view text)
{
    bool nonAscii = false;
    for (char c : text)
        nonAscii = nonAscii || static_cast<unsigned char>(c) >= 0x80;
    return nonAscii && IsValid(text);
}

std::string ReplaceIllFormed(std::string_view text)
{
    if (IsValid(text))
        return std::string(text);
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        Append(out, Decode(text, pos, length));
        pos += length;
    }
    return out;
}

std::string_view PrefixBytes(std::string_view text, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t length = SequenceLength(text, end);
        const std::size_t step = length == 0 ? 1 : length;
        if (end + step > maxBytes)
            break;
        end += step;
    }
    return text.substr(0, end);
}

std::string_view PrefixChars(std::string_view text, std::size_t maxChars)
{
    std::size_t end = 0;
    for (std::size_t count = 0; count < maxChars && end < text.size(); ++count) {
        const std::size_t length = SequenceLength(text, end);
        end += length == 0 ? 1 : length;
    }
    return text.substr(0, end);
}

std::size_t CharCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        const std::size_t length = SequenceLength(text, pos);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

char32_t Decode(std::string_view text, std::size_t pos, std::size_t& length)
{
    length = SequenceLength(text, pos);
    if (length == 0) {
        length = 1;
        return 0xFFFD;
    }
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i])); };
    switch (length) {
    case 1: return byte(0);
    case 2: return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3: return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default: return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    }
}

void Append(std::string& out, char32_t code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace pl::utf8
