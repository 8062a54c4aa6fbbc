#pragma once
// The recipients of a message as the compose window reads them from its
// recipient field: names separated by "," or ";", each marked with a picture
// of its type (1 user or computer, 2 domain or workgroup, 3 contact group).
// A contact group stands for its members, each with its own type.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/pl_contacts_manager.h"

inline constexpr int kRecipientPersonal = 1;
inline constexpr int kRecipientBroadcast = 2;
inline constexpr int kRecipientGroup = 3;

// The character that stands for a picture in the field's text.
inline constexpr char32_t kRecipientPicture = U'\uFFFC';

struct PlRecipient {
    int type = kRecipientPersonal;
    std::string name;     // the network name the message goes to
    std::string display;  // the name people read
    bool operator==(const PlRecipient&) const = default;
};

// The recipient field: its text, one code point a position (a picture is
// kRecipientPicture), and the type of the picture at each position.
struct PlRecipientField {
    std::u32string text;
    std::map<std::size_t, int> pictures;

    // The type of the first picture at a position in [first, last]; -1 when
    // there is none.
    int TypeAt(std::size_t first, std::size_t last) const;
};

// The recipients in the field's order: empty names between separators are
// skipped, a group becomes its members in tree order (a group that does not
// exist, none), blanks and pictures around a name are trimmed.
std::vector<PlRecipient> PlReadRecipients(const PlRecipientField& field, const std::vector<PlContactGroupCopy>& groups);
