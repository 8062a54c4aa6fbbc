#pragma once
// NetBIOS names on the wire (RFC 1001 section 14, RFC 1002 section 4.1): the
// first-level encoding (each nibble as 'A' + nibble, 32 characters) and the
// second-level encoding (DNS labels with an optional scope). Pure functions.

#include "platform/text/pl_netbios_name.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

// A name as it travels: the 16 name bytes and the scope ("" for none).
struct NbName {
    NetbiosNameBytes bytes{};
    std::string scope;
    bool operator==(const NbName&) const = default;
};

// The name "*" with NUL padding that node status requests ask for.
NbName WildcardName();

// Appends the second-level encoding of `name` to `out`.
void EncodeName(const NbName& name, std::vector<std::uint8_t>& out);
std::size_t EncodedNameSize(const NbName& name);

// Decodes a second-level name starting at `offset` of `packet`. With
// `allowPointers` a label may be a compression pointer into `packet` (NBNS);
// pointers must point backwards and at most 16 are followed, so a loop cannot
// hang the decoder. On success `offset` is past the name. False when malformed.
bool DecodeName(std::span<const std::uint8_t> packet, std::size_t& offset, NbName& name, bool allowPointers);

// "NAME<03>" (with ".scope" when one is present); non-printable bytes as '.'.
std::string NameToText(const NbName& name);
std::string NameToText(std::span<const std::uint8_t, kNetbiosNameLength> bytes);

}  // namespace pl::nb
