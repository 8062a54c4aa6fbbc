#pragma once
// Unicode-aware case mapping of UTF-8 text, independent of the process locale.

#include <string>
#include <string_view>

namespace pl {

// Upper-cases every character that has a single-character upper-case form
// ("müller" -> "MÜLLER", "иван" -> "ИВАН"); ill-formed bytes are kept as they are.
std::string UpperCase(std::string_view text);

// Case-insensitive equality of two UTF-8 texts, by their upper-case forms.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace pl
