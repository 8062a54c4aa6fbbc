#pragma once
// JSON string literals for the machine-readable output of parlino-cli.

#include <string>
#include <string_view>

namespace pl::cli {

// `text` as a quoted JSON string; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace pl::cli
