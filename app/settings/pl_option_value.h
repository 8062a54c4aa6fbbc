#pragma once
// OptionValue: the value of one option in memory: empty, a text, or a signed
// 32-bit integer. Copies copy the text.

#include <cstdint>
#include <string>
#include <string_view>

class OptionValue {
public:
    enum class Kind : std::uint8_t { Empty = 0, Text = 1, Integer = 2 };

    // An empty value (kind 0, integer 0, no text).
    OptionValue() = default;
    static OptionValue FromText(std::string_view text);
    static OptionValue FromInteger(std::int32_t integer);

    Kind GetKind() const { return kind_; }
    // The text of a text value; empty for the other kinds.
    const std::string& Text() const { return text_; }
    // The integer of an integer value; 0 for the other kinds.
    std::int32_t Integer() const { return integer_; }

    bool operator==(const OptionValue&) const = default;

private:
    Kind kind_ = Kind::Empty;
    std::string text_;
    std::int32_t integer_ = 0;
};
