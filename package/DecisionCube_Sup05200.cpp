#include "DecisionCube_Sup05200.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <limits>

namespace DecisionCube_Sup05200 {

namespace {

quint64 s_memoryCapacity = MaxCapacity;

quint64 clampAmount(quint64 amount)
{
    if (amount == std::numeric_limits<quint64>::max() || amount == 0xFFFFFFFFull)
        return MaxCapacity;
    return std::min(MaxCapacity, amount);
}

} // namespace

quint64 memoryCapacity(quint64 availablePhysical, quint64 availablePageFile)
{
    return std::min(MaxCapacity, clampAmount(availablePhysical) + clampAmount(availablePageFile) / 2);
}

MemoryStatus parseMemInfo(const QByteArray &text)
{
    MemoryStatus status;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines) {
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        quint64 *target = key == "MemAvailable" ? &status.availablePhysical
                        : key == "SwapFree"     ? &status.availablePageFile
                                                : nullptr;
        if (!target)
            continue;
        // "MemAvailable:   123456 kB"
        const QList<QByteArray> parts = line.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const quint64 amount = parts.value(0).toULongLong(&ok);
        if (!ok)
            continue;
        const bool kiloBytes = parts.value(1).compare("kB", Qt::CaseInsensitive) == 0;
        *target = kiloBytes ? amount * 1024 : amount;
    }
    return status;
}

MemoryStatus readMemoryStatus()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMemInfo(file.readAll());
}

void SetMemoryCapacity(quint64 bytes)
{
    s_memoryCapacity = bytes;
}

quint64 MemoryCapacity()
{
    return s_memoryCapacity;
}

void initialize()
{
    const MemoryStatus status = readMemoryStatus();
    SetMemoryCapacity(memoryCapacity(status.availablePhysical, status.availablePageFile));
}

} // namespace DecisionCube_Sup05200
