#include "cli/json_text.h"

#include "platform/text/pl_utf8.h"

#include <cstdio>

namespace pl::cli {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        const char32_t code = utf8::Decode(text, pos, length);
        pos += length;
        switch (code) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (code < 0x20 || code == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
                out += escaped;
            } else {
                utf8::Append(out, code);
            }
        }
    }
    return out + "\"";
}

}  // namespace pl::cli
