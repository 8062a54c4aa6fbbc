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

// Valid UTF-8 whose UTF-8 reading is plausible and whose OEM reading is not.
bool ReadsAsUtf8(std::string_view bytes, const std::string& codepage)
{
    if (!utf8::IsValid(bytes) || !IsPlausibleUtf8Reading(bytes))
        return false;
    const std::optional<std::string> oem = ExactOemToAnsi(bytes, codepage);
    return !oem || !IsPlausibleOemReading(*oem);
}

// How many blocks, from block `first` on, join into complete valid UTF-8 (0
// when block `first` does not begin so). `ends` are the blocks' end offsets in
// `joined`.
std::size_t Utf8RunLength(std::string_view joined, const std::vector<std::size_t>& ends, std::size_t first)
{
    std::size_t pos = first == 0 ? 0 : ends[first - 1];
    std::size_t block = first;
    std::size_t run = 0;
    while (pos < joined.size()) {
        const std::size_t length = utf8::SequenceLength(joined, pos);
        if (length == 0)
            break;
        pos += length;
        while (block < ends.size() && ends[block] < pos)
            ++block;
        if (block < ends.size() && ends[block] == pos)
            run = block - first + 1;
    }
    return run;
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
    if (utf8::IsValid(bytes) && bytes.starts_with(kSignature))
        return std::string(bytes.substr(kSignature.size()));
    return ReadsAsUtf8(bytes, codepage) ? std::string(bytes) : OemToAnsi(bytes, codepage);
}

std::string DecodeMessageBlocks(const std::vector<std::string>& blocks, const std::string& codepage)
{
    std::string joined;
    std::vector<std::size_t> ends;
    for (const std::string& block : blocks) {
        joined += block;
        ends.push_back(joined.size());
    }
    if (blocks.size() <= 1 || utf8::IsValid(joined))
        return DecodeMessageText(joined, codepage);
    std::string text;
    std::string oemRun;  // adjacent OEM blocks are decoded together
    for (std::size_t first = 0; first < blocks.size();) {
        const std::size_t start = first == 0 ? 0 : ends[first - 1];
        const std::size_t run = std::max<std::size_t>(1, Utf8RunLength(joined, ends, first));
        const std::string_view bytes = std::string_view(joined).substr(start, ends[first + run - 1] - start);
        if (ReadsAsUtf8(bytes, codepage)) {
            text += OemToAnsi(oemRun, codepage);
            oemRun.clear();
            text += bytes;
        } else {
            oemRun += bytes;
        }
        first += run;
    }
    return text + OemToAnsi(oemRun, codepage);
}

std::string DecodeMessageBlocks(const std::vector<std::string>& blocks)
{
    return DecodeMessageBlocks(blocks, OemCodePage());
}

std::string DecodeMessageText(std::string_view bytes)
{
    return DecodeMessageText(bytes, OemCodePage());
}

}  // namespace pl
