#include "storage/pl_value.h"

void PlValue::Clear()
{
    tag_ = kEmpty;
    text_.clear();
}

void PlValue::SetText(std::string_view text)
{
    tag_ = kText;
    text_.assign(text);
}

void PlValue::SetInteger(std::uint32_t value)
{
    tag_ = kScalar;
    text_.clear();
    low_ = value;
}

void PlValue::SetTime(std::uint32_t low, std::uint32_t high)
{
    tag_ = kScalar;
    text_.clear();
    low_ = low;
    high_ = high;
}
