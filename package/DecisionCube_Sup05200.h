#pragma once

#include <QByteArray>
#include <QtGlobal>

// The storage capacity of the consultation sheet's decision cube, set once when the
// package is loaded from the memory the operating system reports as available.
namespace DecisionCube_Sup05200 {

// The ceiling of the capacity; an amount reported as all ones also stands for it.
constexpr quint64 MaxCapacity = 2147483647;

// min(C, min(C, physical) + min(C, pageFile) / 2), C = MaxCapacity.
quint64 memoryCapacity(quint64 availablePhysical, quint64 availablePageFile);

// Available physical memory and swap, in bytes, from the text of /proc/meminfo
// (MemAvailable and SwapFree); an amount that is missing reads as 0.
struct MemoryStatus
{
    quint64 availablePhysical = 0;
    quint64 availablePageFile = 0;
};
MemoryStatus parseMemInfo(const QByteArray &text);
MemoryStatus readMemoryStatus();

// Sets the capacity the decision cube is built with, and reads it back.
void SetMemoryCapacity(quint64 bytes);
quint64 MemoryCapacity();

// The unit's load step: the capacity from the current memory status.
void initialize();

} // namespace DecisionCube_Sup05200
