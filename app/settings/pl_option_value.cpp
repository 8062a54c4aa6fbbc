#include "app/settings/pl_option_value.h"

OptionValue OptionValue::FromText(std::string_view text)
{
    OptionValue value;
    value.kind_ = Kind::Text;
    value.text_ = std::string(text.substr(0, text.find('\0')));
    return value;
}

OptionValue OptionValue::FromInteger(std::int32_t integer)
{
    OptionValue value;
    value.kind_ = Kind::Integer;
    value.integer_ = integer;
    return value;
}
