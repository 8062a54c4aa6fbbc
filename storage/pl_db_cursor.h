#pragma once
// PlDbSrvAbstractCursor: a position in a filtered snapshot of the database's
// rows. Move positions by origin (0 current, 1 last, 2 first) and then steps
// |n| rows forward; GetRow copies the current row out.

#include <cstdint>

#include "storage/pl_row.h"
#include "storage/pl_tid.h"

class PlDbSrvAbstractCursor {
public:
    virtual ~PlDbSrvAbstractCursor() = default;

    virtual void Refresh() = 0;
    virtual bool Move(std::int32_t n, std::int32_t origin) = 0;
    virtual bool GetRow(PlRow& row) = 0;
    virtual tid GetTid() = 0;
    virtual bool IsBeforeFirst() = 0;

    static constexpr std::int32_t kFromCurrent = 0;
    static constexpr std::int32_t kFromLast = 1;
    static constexpr std::int32_t kFromFirst = 2;
};
