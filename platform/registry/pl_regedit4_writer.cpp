#include "platform/registry/pl_regedit4.h"

#include <cstdio>

namespace pl::regedit4 {
namespace {

// regedit keeps lines of hex data within 80 columns.
constexpr std::size_t kHexLineWidth = 76;

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

bool NeedsHex(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return true;
    return false;
}

void AppendHex(std::string& out, std::size_t lineStart, std::uint32_t type, std::string_view bytes)
{
    char buffer[24];
    if (type == kPlRegBinary)
        out += "hex:";
    else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
        out += buffer;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
        out += buffer;
        if (i + 1 == bytes.size())
            break;
        out += ',';
        if (out.size() - lineStart > kHexLineWidth) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void AppendValue(std::string& out, const std::string& name, const PlRegistryValue& value)
{
    const std::size_t lineStart = out.size();
    if (name.empty())
        out += '@';
    else
        AppendQuoted(out, name);
    out += '=';
    if (value.type == kPlRegSz && !NeedsHex(value.data)) {
        AppendQuoted(out, value.data);
    } else if (value.type == kPlRegSz) {
        AppendHex(out, lineStart, value.type, value.data + '\0');
    } else if (value.type == kPlRegDword && value.data.size() == 4) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(value.AsNumber()));
        out += buffer;
    } else {
        AppendHex(out, lineStart, value.type, value.data);
    }
    out += '\n';
}

}  // namespace

std::string Format(const PlRegistryHive& hive)
{
    std::string out(kHeader);
    out += "\n\n";
    for (const PlRegistryHive::Key& key : hive.Keys()) {
        out += '[';
        out += key.path;
        out += "]\n";
        for (const auto& [name, value] : key.values)
            AppendValue(out, name, value);
        out += '\n';
    }
    return out;
}

}  // namespace pl::regedit4
