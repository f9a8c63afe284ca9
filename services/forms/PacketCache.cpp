#include "PacketCache.h"

DataPacket PacketCache::fetch(const QStringList &key, const Loader &load, bool *hit)
{
    const auto it = m_packets.constFind(key);
    if (it != m_packets.constEnd()) {
        if (hit)
            *hit = true;
        return *it;
    }
    if (hit)
        *hit = false;
    // Stored only once the load returned: a failed call leaves no key behind.
    DataPacket packet = load();
    m_packets.insert(key, packet);
    return packet;
}
