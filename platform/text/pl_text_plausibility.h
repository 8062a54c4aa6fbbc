#pragma once
// Whether a reading of a message's bytes looks like ordinary writing. A
// received message is taken as raw UTF-8 only when its UTF-8 reading is
// plausible and its OEM code page reading is not (docs/messaging.md, "Text on
// the wire"). Both tests look only at characters outside ASCII, because ASCII
// bytes read the same either way. Pure functions, thread-safe.

#include <string_view>

namespace pl {

// `text` is valid UTF-8. True when it has a character outside ASCII and none
// of its characters outside ASCII is one that no script uses in ordinary
// text: C1 controls, unassigned code points and noncharacters (none of them
// printable), private use, box drawing, block elements, Braille patterns and
// the Specials block (U+FFF0..U+FFFF, the replacement character among them),
// or a combining mark of a script that does not follow that script.
bool IsPlausibleUtf8Reading(std::string_view text);

// `reading` is the OEM code page's reading of a message, in UTF-8. False when
// a character outside ASCII is not a letter, or when two adjacent letters, one
// of them outside ASCII, change from lower to upper case or between scripts
// that one word does not mix, or when two or more adjacent Latin letters are
// all outside ASCII: what the bytes of UTF-8 sequences turn into when read in
// an OEM code page.
bool IsPlausibleOemReading(std::string_view reading);

}  // namespace pl
