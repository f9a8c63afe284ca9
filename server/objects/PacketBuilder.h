#pragma once

#include "DataPacket.h"
#include "ProtocolContract.h"

#include <QSqlQuery>

// Turns the rows of a query into a data packet with the field definitions a client
// dataset declares: each column (in field order) is converted to the field's type, so
// a packet looks the same whichever engine answered (dates from SQLite text, numbers
// from PostgreSQL doubles, flags ...).  Strings longer than their field are cut.
class PacketBuilder
{
public:
    explicit PacketBuilder(QList<FieldDef> fields) : m_packet(std::move(fields)) {}
    // The packet a method returns, with the layout its contract names.
    explicit PacketBuilder(const MethodContract &method)
        : m_packet(Protocol::packetLayout(method.resultPacket)) {}

    // Appends every remaining row of query; column i feeds field i.
    PacketBuilder &addRows(QSqlQuery &query);
    PacketBuilder &addRow(const QVariantList &values);

    const DataPacket &packet() const { return m_packet; }
    QVariant result() const { return packetVariant(m_packet); }

    static QVariant convert(const QVariant &value, const FieldDef &field);

private:
    DataPacket m_packet;
};
