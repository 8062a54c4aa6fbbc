#pragma once
// PlValue: the value of one field as a data set hands it out or takes it in:
// empty, text, or a scalar holding an integer or a FILETIME (low word first).
// Setting an integer leaves the high word as it was.

#include <cstdint>
#include <string>
#include <string_view>

class PlValue {
public:
    enum Tag : std::uint8_t { kEmpty = 0, kText = 1, kScalar = 2 };

    Tag GetTag() const { return tag_; }
    void Clear();
    void SetText(std::string_view text);
    void SetInteger(std::uint32_t value);
    void SetTime(std::uint32_t low, std::uint32_t high);

    // REQUIRES: GetTag() == kText for Text, kScalar for the rest.
    const std::string& Text() const { return text_; }
    std::uint32_t Integer() const { return low_; }
    std::uint64_t Time() const { return (std::uint64_t{high_} << 32) | low_; }

    bool operator==(const PlValue&) const = default;

private:
    Tag tag_ = kEmpty;
    std::string text_;
    std::uint32_t low_ = 0;
    std::uint32_t high_ = 0;
};
