#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

// The type of a field of a data packet or of a client dataset.
enum class FieldType { String, FixedString, Integer, Float, Boolean, Date, DateTime, Memo };

QString fieldTypeName(FieldType type);                       // "string", "fixedstring", ...
bool fieldTypeFromName(const QString &name, FieldType *type); // false for an unknown name

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;          // characters for string types, 0 otherwise
    bool required = false;

    bool operator==(const FieldDef &) const = default;
};

// How a row of a delta changed since its packet was loaded (or its log last merged).
enum class RowChange { Insert, Modify, Delete };

struct DeltaRow
{
    RowChange kind = RowChange::Modify;
    QVariantList oldValues; // empty for an insert
    QVariantList newValues; // empty for a delete
};

// A data packet: field definitions and either rows (a plain packet) or changes (a delta).
// Values are QVariant: null (invalid QVariant), QString, qlonglong, double, bool, QDate,
// QDateTime (wall-clock fields, UTC spec, never converted), in field order.
class DataPacket
{
public:
    DataPacket() = default;
    explicit DataPacket(QList<FieldDef> fields) : m_fields(std::move(fields)) {}

    const QList<FieldDef> &fields() const { return m_fields; }
    void setFields(QList<FieldDef> fields) { m_fields = std::move(fields); }
    void addField(const QString &name, FieldType type, int size = 0, bool required = false);
    int fieldIndex(const QString &name) const; // case-insensitive, -1 when absent

    bool isDelta() const { return m_isDelta; }
    void setDelta(bool delta) { m_isDelta = delta; }

    const QList<QVariantList> &rows() const { return m_rows; }
    QList<QVariantList> &rows() { return m_rows; }
    void appendRow(QVariantList row) { m_rows.append(std::move(row)); }
    int rowCount() const { return int(m_rows.size()); }
    QVariant value(int row, const QString &field) const;

    const QList<DeltaRow> &changes() const { return m_changes; }
    QList<DeltaRow> &changes() { return m_changes; }
    void appendChange(DeltaRow change) { m_changes.append(std::move(change)); }

    bool isEmpty() const { return m_isDelta ? m_changes.isEmpty() : m_rows.isEmpty(); }

    // Checks every row against the field definitions (count and value types); a value of
    // the wrong type is an error with a reason.  Integers are accepted for float fields
    // and converted.
    bool normalize(QString *error);

    bool operator==(const DataPacket &other) const;

private:
    QList<FieldDef> m_fields;
    QList<QVariantList> m_rows;
    QList<DeltaRow> m_changes;
    bool m_isDelta = false;
};

Q_DECLARE_METATYPE(DataPacket)

// Convenience: a QVariant holding a packet, and back.
inline QVariant packetVariant(const DataPacket &p) { return QVariant::fromValue(p); }
inline bool isPacket(const QVariant &v) { return v.metaType() == QMetaType::fromType<DataPacket>(); }
