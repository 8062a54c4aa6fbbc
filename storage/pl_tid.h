#pragma once
// tid: where a row lives, the block number of its data page and its slot in
// that page's slot directory. Valid until the next Delete on the same page.

#include <cstdint>

struct tid {
    std::uint32_t pageno = 0;
    std::uint32_t slot = 0;

    bool operator==(const tid&) const = default;
};
