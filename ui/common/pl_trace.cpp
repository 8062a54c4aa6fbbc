#include "ui/common/pl_trace.h"

#include <QDateTime>
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
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QByteArray bytes = ("parlino " + time + ": " + line + "\n").toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
