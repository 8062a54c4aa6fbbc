#pragma once
// The message text codec: how the text of one message (held in UTF-8) travels
// as bytes, personal and broadcast alike (docs/messaging.md, "Text on the
// wire").
//
// Sending: the OEM code page when it holds every character of the text, else
// the raw UTF-8 of the whole text, as Samba's client sends it; a U+FEFF
// signature goes first only in the rare case where the receiver's rule would
// otherwise read the bytes as something else. Receiving: the bytes of all
// blocks of one message are joined and decoded once: OEM by default, UTF-8
// when the bytes begin with the signature, or when they are valid UTF-8 whose
// UTF-8 reading is plausible and whose OEM reading is not (runs of blocks are
// decided apart only when a sender mixed both, see DecodeMessageBlocks).
//
// Functions without a code page use the process's OEM code page. Pure and
// thread-safe.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pl {

// The bytes that carry `text` (ill-formed UTF-8 in it becomes U+FFFD first).
// Decoding them with the same code page gives that text back.
std::string EncodeMessageText(std::string_view text);
std::string EncodeMessageText(std::string_view text, const std::string& codepage);

// The same bytes cut into blocks of at most `maxBlockBytes` bytes (at least
// 4), never inside a character, double-byte OEM characters included; an empty
// text gives no block.
std::vector<std::string> SplitMessageText(std::string_view text, std::size_t maxBlockBytes);
std::vector<std::string> SplitMessageText(std::string_view text, std::size_t maxBlockBytes,
                                          const std::string& codepage);

// The text carried by the joined bytes of one message; always valid UTF-8.
// A message of a single zero byte (Samba's client sends that for an empty
// text) is empty.
std::string DecodeMessageText(std::string_view bytes);
std::string DecodeMessageText(std::string_view bytes, const std::string& codepage);

// The text carried by the text blocks of one message: joined and decoded once,
// unless the joined bytes are not valid UTF-8 while runs of blocks are. Samba's
// client converts each 127-byte piece of a text on its own and sends a piece
// that does not convert raw (a piece that ends inside a character too), so
// one message may mix OEM blocks with runs of raw UTF-8 blocks; each run of
// blocks that joins into valid UTF-8 is then decided by the rule above on its
// own, and the blocks between are OEM.
std::string DecodeMessageBlocks(const std::vector<std::string>& blocks);
std::string DecodeMessageBlocks(const std::vector<std::string>& blocks, const std::string& codepage);

}  // namespace pl
