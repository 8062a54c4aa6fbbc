#pragma once
// Small UTF-8 helpers: sequence lengths, validation, and cutting text only at
// character boundaries.

#include <cstddef>
#include <string>
#include <string_view>

namespace pl::utf8 {

// Length of the well-formed UTF-8 sequence starting at text[pos], or 0 when the
// bytes there are not a well-formed sequence (overlong forms and surrogates
// included).
std::size_t SequenceLength(std::string_view text, std::size_t pos);

bool IsValid(std::string_view text);

// True when `text` is valid UTF-8 and holds at least one non-ASCII character.
bool IsNonAsciiUtf8(std::string_view text);

// `text` with every ill-formed byte replaced by U+FFFD, so that it is valid.
std::string ReplaceIllFormed(std::string_view text);

// The longest prefix of at most `maxBytes` bytes that does not end inside a
// character.
std::string_view PrefixBytes(std::string_view text, std::size_t maxBytes);

// The first `maxChars` characters (an ill-formed byte counts as one character).
std::string_view PrefixChars(std::string_view text, std::size_t maxChars);

// Number of characters, counting each ill-formed byte as one.
std::size_t CharCount(std::string_view text);

// Decodes the character at text[pos]; returns U+FFFD for an ill-formed byte.
// `length` receives the bytes consumed (at least 1).
char32_t Decode(std::string_view text, std::size_t pos, std::size_t& length);

void Append(std::string& out, char32_t code);

}  // namespace pl::utf8
