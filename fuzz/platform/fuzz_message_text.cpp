// Fuzz target: the message text codec. The first byte picks the OEM code page
// and a block size; the rest is both a received message (its decoding, whole
// and cut into blocks, must be valid UTF-8) and a text to send (its blocks must
// stay within 128 bytes, join to the encoded bytes, and decode back to the
// text, ill-formed bytes read as U+FFFD).

#include "platform/text/pl_message_text.h"
#include "platform/text/pl_utf8.h"

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<const char*, 9> kCodePages{"CP437", "CP850", "CP852", "CP866", "CP737",
                                                "CP932", "CP936", "CP949", "CP950"};
constexpr std::size_t kBlockBytes = 128;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string codepage = kCodePages[data[0] % kCodePages.size()];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    Require(pl::utf8::IsValid(pl::DecodeMessageText(bytes, codepage)));
    const std::size_t blockSize = data[0] / kCodePages.size() + 1;
    std::vector<std::string> received;
    for (std::size_t pos = 0; pos < bytes.size(); pos += blockSize)
        received.emplace_back(bytes.substr(pos, blockSize));
    Require(pl::utf8::IsValid(pl::DecodeMessageBlocks(received, codepage)));

    const std::string encoded = pl::EncodeMessageText(bytes, codepage);
    std::string joined;
    for (const std::string& block : pl::SplitMessageText(bytes, kBlockBytes, codepage)) {
        Require(!block.empty() && block.size() <= kBlockBytes);
        joined += block;
    }
    Require(joined == encoded);
    Require(pl::DecodeMessageText(encoded, codepage) == pl::utf8::ReplaceIllFormed(bytes));
    return 0;
}
