#include "platform/registry/pl_regedit4.h"

#include "platform/config/pl_config_text.h"

#include <optional>

namespace pl::regedit4 {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<std::uint32_t> HexNumber(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t number = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        number = (number << 4) | static_cast<std::uint32_t>(digit);
    }
    return number;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (a != prefix[i])
            return false;
    }
    return true;
}

// A double-quoted text starting at text[0] with \\ and \" escapes; `rest`
// receives what follows the closing quote.
std::optional<std::string> Quoted(std::string_view text, std::string_view& rest)
{
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            rest = text.substr(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        out += text[i];
    }
    return std::nullopt;
}

// Comma-separated bytes of one or two hex digits; a trailing comma is allowed.
std::optional<std::string> HexBytes(std::string_view text)
{
    std::string bytes;
    while (!TrimBlanks(text).empty()) {
        const std::size_t comma = text.find(',');
        const auto byte = HexNumber(TrimBlanks(text.substr(0, comma)), 2);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    return bytes;
}

// The data after "name=": a quoted text, dword:, hex: or hex(n):.
std::optional<PlRegistryValue> Data(std::string_view data)
{
    if (data.starts_with('"')) {
        std::string_view rest;
        auto text = Quoted(data, rest);
        if (!text || !TrimBlanks(rest).empty())
            return std::nullopt;
        return PlRegistryValue::Text(*text);
    }
    if (StartsWithIgnoreCase(data, "dword:")) {
        const auto number = HexNumber(data.substr(6), 8);
        return number ? std::optional(PlRegistryValue::Dword(*number)) : std::nullopt;
    }
    std::uint32_t type = kPlRegBinary;
    if (StartsWithIgnoreCase(data, "hex(")) {
        const std::size_t close = data.find("):");
        const auto number = close == std::string_view::npos ? std::nullopt : HexNumber(data.substr(4, close - 4), 8);
        if (!number)
            return std::nullopt;
        type = *number;
        data.remove_prefix(close + 2);
    } else if (StartsWithIgnoreCase(data, "hex:")) {
        data.remove_prefix(4);
    } else {
        return std::nullopt;
    }
    auto bytes = HexBytes(data);
    if (!bytes)
        return std::nullopt;
    if (type == kPlRegSz && !bytes->empty() && bytes->back() == '\0')
        bytes->pop_back();  // the terminator is not part of the text
    return PlRegistryValue{type, std::move(*bytes)};
}

// Reads the file line by line, joining the continuation lines of hex data.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    ParseResult Run()
    {
        bool first = true;
        while (!text_.empty()) {
            std::string line(TrimBlanks(NextLine()));
            if (line.empty() || line.front() == ';')
                continue;
            if (first) {
                first = false;
                if (line == kHeader || line == kHeaderVersion5)
                    continue;
                ++result_.damagedLines;
            }
            if (!(line.front() == '[' ? KeyLine(line) : ValueLine(line)))
                ++result_.damagedLines;
        }
        return std::move(result_);
    }

private:
    std::string_view NextLine()
    {
        const std::size_t end = text_.find('\n');
        std::string_view line = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    bool KeyLine(std::string_view line)
    {
        key_.clear();
        haveKey_ = false;
        if (line.size() < 3 || line.back() != ']')
            return false;
        const std::string_view path = line.substr(1, line.size() - 2);
        if (path.front() == '-')
            return true;  // a deletion: nothing to load
        key_ = path;
        haveKey_ = true;
        result_.hive.CreateKey(key_);
        return true;
    }

    bool ValueLine(std::string_view line)
    {
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else {
            auto quoted = Quoted(line, rest);
            if (!quoted)
                return false;
            name = std::move(*quoted);
        }
        rest = TrimBlanks(rest);
        if (!rest.starts_with('='))
            return false;
        std::string data(TrimBlanks(rest.substr(1)));
        if (StartsWithIgnoreCase(data, "hex"))
            JoinContinuations(data);
        if (!haveKey_)
            return false;
        if (data == "-") {
            result_.hive.Erase(key_, name);
            return true;
        }
        auto value = Data(data);
        if (!value)
            return false;
        result_.hive.Set(key_, name, std::move(*value));
        return true;
    }

    void JoinContinuations(std::string& data)
    {
        while (data.ends_with('\\') && !text_.empty()) {
            data.pop_back();
            data += TrimBlanks(NextLine());
        }
    }

    std::string_view text_;
    ParseResult result_;
    std::string key_;
    bool haveKey_ = false;
};

}  // namespace

ParseResult Parse(std::string_view text)
{
    return Reader(text).Run();
}

}  // namespace pl::regedit4
