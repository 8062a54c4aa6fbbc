#include "ui/common/pl_trace.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<bool> gTracing{false};

}  // namespace

void PlSetTracing(bool on)
{
    gTracing = on;
}

bool PlTracing()
{
    return gTracing;
}

void PlTrace(const QString& line)
{
    if (!gTracing)
        return;
    const QByteArray bytes = ("parlino: " + line + "\n").toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
