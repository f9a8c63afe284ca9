#pragma once

#include "DataPacket.h"

#include <QHash>
#include <QStringList>

#include <functional>

// Data packets the server sent, kept by the key they were asked with, so that moving back
// to a region or supplier already seen is served locally instead of calling the server
// again.  A key is the list of codes that selected the packet ([quotation, region] for
// suppliers, [quotation, region, supplier] for product/brand rows); codes compare exactly.
//
// Entries are only added: a key is fetched from the server at most once until reset(),
// which the owner calls whenever the data behind the packets may have changed.  A load
// that fails stores nothing, so the next visit asks the server again.
class PacketCache
{
public:
    using Loader = std::function<DataPacket()>;

    // The packet stored for key; on a miss, load() is called once and what it returns is
    // stored and returned.  An exception from load() passes to the caller and leaves the
    // cache as it was.  hit (when given) tells whether the packet came from the cache.
    DataPacket fetch(const QStringList &key, const Loader &load, bool *hit = nullptr);

    bool contains(const QStringList &key) const { return m_packets.contains(key); }
    int size() const { return int(m_packets.size()); }
    bool isEmpty() const { return m_packets.isEmpty(); }
    // Forgets every packet.
    void reset() { m_packets.clear(); }

private:
    QHash<QStringList, DataPacket> m_packets;
};
