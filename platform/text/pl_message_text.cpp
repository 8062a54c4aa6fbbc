#include "platform/text/pl_message_text.h"

#include "platform/text/pl_codepage.h"
#include "platform/text/pl_text_plausibility.h"
#include "platform/text/pl_utf8.h"

#include <algorithm>
#include <optional>

namespace pl {
namespace {

// U+FEFF in UTF-8, the signature of a UTF-8 text.
constexpr std::string_view kSignature = "\xEF\xBB\xBF";
constexpr std::size_t kLongestCharacter = 4;

// The bytes that carry a text and the offset at which each character ends.
struct WireText {
    std::string bytes;
    std::vector<std::size_t> ends;
};

// Converted one character at a time, so that the character boundaries of a
// double-byte code page are known. `text` is valid UTF-8.
std::optional<WireText> OemWire(std::string_view text, const std::string& codepage)
{
    WireText wire;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8::SequenceLength(text, pos);
        const std::optional<std::string> oem = ExactAnsiToOem(text.substr(pos, length), codepage);
        if (!oem)
            return std::nullopt;
        wire.bytes += *oem;
        wire.ends.push_back(wire.bytes.size());
        pos += length;
    }
    return wire;
}

WireText Utf8Wire(std::string_view signature, std::string_view text)
{
    WireText wire{std::string(signature) + std::string(text), {}};
    for (std::size_t pos = 0; pos < wire.bytes.size();) {
        pos += std::max<std::size_t>(1, utf8::SequenceLength(wire.bytes, pos));
        wire.ends.push_back(pos);
    }
    return wire;
}

// Each form is chosen only when the receiver's rule reads it back as the text.
WireText Encode(std::string_view input, const std::string& codepage)
{
    const std::string text = utf8::ReplaceIllFormed(input);
    if (auto oem = OemWire(text, codepage); oem && DecodeMessageText(oem->bytes, codepage) == text)
        return std::move(*oem);
    if (DecodeMessageText(text, codepage) == text)
        return Utf8Wire({}, text);
    return Utf8Wire(kSignature, text);
}

}  // namespace

std::string EncodeMessageText(std::string_view text, const std::string& codepage)
{
    return Encode(text, codepage).bytes;
}

std::string EncodeMessageText(std::string_view text)
{
    return EncodeMessageText(text, OemCodePage());
}

std::vector<std::string> SplitMessageText(std::string_view text, std::size_t maxBlockBytes, const std::string& codepage)
{
    const WireText wire = Encode(text, codepage);
    const std::size_t limit = std::max(maxBlockBytes, kLongestCharacter);
    std::vector<std::string> blocks;
    std::size_t start = 0;
    std::size_t last = 0;  // the end of the last character that fits the block
    for (const std::size_t end : wire.ends) {
        if (end - start > limit) {
            blocks.push_back(wire.bytes.substr(start, last - start));
            start = last;
        }
        last = end;
    }
    if (last > start)
        blocks.push_back(wire.bytes.substr(start, last - start));
    return blocks;
}

std::vector<std::string> SplitMessageText(std::string_view text, std::size_t maxBlockBytes)
{
    return SplitMessageText(text, maxBlockBytes, OemCodePage());
}

std::string DecodeMessageText(std::string_view bytes, const std::string& codepage)
{
    if (bytes == std::string_view("\0", 1))
        return {};
    if (utf8::IsValid(bytes)) {
        if (bytes.starts_with(kSignature))
            return std::string(bytes.substr(kSignature.size()));
        if (IsPlausibleUtf8Reading(bytes)) {
            const std::optional<std::string> oem = ExactOemToAnsi(bytes, codepage);
            return oem && IsPlausibleOemReading(*oem) ? *oem : std::string(bytes);
        }
    }
    return OemToAnsi(bytes, codepage);
}

std::string DecodeMessageText(std::string_view bytes)
{
    return DecodeMessageText(bytes, OemCodePage());
}

}  // namespace pl
