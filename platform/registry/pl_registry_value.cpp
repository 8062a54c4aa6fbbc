#include "platform/registry/pl_registry_value.h"

PlRegistryValue PlRegistryValue::Text(std::string_view text)
{
    return {kPlRegSz, std::string(text)};
}

PlRegistryValue PlRegistryValue::Dword(std::uint32_t number)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return {kPlRegDword, bytes};
}

std::string_view PlRegistryValue::AsText() const
{
    if (type != kPlRegSz)
        return {};
    const std::string_view text(data);
    return text.substr(0, text.find('\0'));
}

std::uint32_t PlRegistryValue::AsNumber() const
{
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return number;
}
