// Data packets and the client dataset's change log.  The input is one CBOR item (a data
// packet as the server sends it) followed by bytes that drive a buyer's edits on a
// client dataset loaded with it: moves, edits, inserts, deletes, values of every type,
// typed text, indexes, locates, merges and cancels.  After the edits:
// - the delta and the current rows are valid packets that survive the wire;
// - the rows at load (or at the last merge) with the delta applied are exactly the
//   current rows: the delta the server receives says everything that changed, and
//   nothing else;
// - cancelling every update brings back the rows at load (or at the last merge).
// A delta on the input is decoded and checked for the wire as well.

#include "CborCodec.h"
#include "ClientDataSet.h"
#include "FuzzCheck.h"

#include <QByteArray>
#include <QCborStreamReader>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Reads the parameters of the edit operations from the rest of the input.
class OpStream
{
public:
    OpStream(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    qint64 integer()
    {
        qint64 v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        return v;
    }
    double real()
    {
        const qint64 bits = integer();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    QString text()
    {
        const int length = byte() % 24;
        QByteArray bytes;
        for (int i = 0; i < length; ++i)
            bytes.append(char(byte()));
        return QString::fromUtf8(bytes);
    }
    QVariant value()
    {
        switch (byte() % 7) {
        case 0: return QVariant();
        case 1: return text();
        case 2: return QVariant(integer());
        case 3: return QVariant(real());
        case 4: return QVariant(bool(byte() & 1));
        case 5: return QVariant(QDate(1990, 1, 1).addDays(integer() % 40000));
        default:
            return QVariant(QDateTime(QDate(1990, 1, 1).addDays(byte() * 97), QTime(byte() % 24, byte() % 60), Qt::UTC));
        }
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// Rows as their wire encodings, sorted: two row sets are the same multiset exactly when
// these lists are equal (NaN and signed zero included).
QList<QByteArray> rowKeys(const QList<QVariantList> &rows)
{
    QList<QByteArray> keys;
    keys.reserve(rows.size());
    for (const QVariantList &row : rows)
        keys.append(CborCodec::encode(QVariant(row)));
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The rows a server would hold after applying delta to rows.  Every old row the delta
// names must be there.
QList<QVariantList> applyDelta(QList<QVariantList> rows, const DataPacket &delta)
{
    auto take = [&](const QVariantList &old) {
        const QByteArray key = CborCodec::encode(QVariant(old));
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (CborCodec::encode(QVariant(rows[i])) == key) {
                rows.removeAt(i);
                return;
            }
        }
        FuzzCheck::require(false, "the delta names an old row the dataset never had");
    };
    for (const DeltaRow &change : delta.changes()) {
        if (change.kind != RowChange::Insert)
            take(change.oldValues);
        if (change.kind != RowChange::Delete)
            rows.append(change.newValues);
    }
    return rows;
}

QString fieldNameAt(const ClientDataSet &ds, uint8_t which)
{
    return ds.fieldCount() == 0 ? QString() : ds.field(which % ds.fieldCount())->fieldName();
}

void edit(ClientDataSet &ds, OpStream &ops, QList<QVariantList> &baseline)
{
    const uint8_t op = ops.byte() % 17;
    switch (op) {
    case 0: ds.first(); break;
    case 1: ds.last(); break;
    case 2: ds.next(); break;
    case 3: ds.prior(); break;
    case 4: ds.setRecNo(ops.byte() % 8); break;
    case 5: ds.edit(); break;
    case 6: ds.insert(); break;
    case 7: ds.append(); break;
    case 8: ds.post(); break;
    case 9: ds.cancel(); break;
    case 10: ds.deleteRecord(); break;
    case 11:
        if (ds.fieldCount() > 0)
            ds.field(ops.byte() % ds.fieldCount())->setValue(ops.value());
        break;
    case 12:
        if (ds.fieldCount() > 0)
            ds.field(ops.byte() % ds.fieldCount())->setText(ops.text());
        break;
    case 13: {
        QString names = fieldNameAt(ds, ops.byte());
        if (ops.byte() & 1)
            names += QLatin1Char(';') + fieldNameAt(ds, ops.byte());
        ds.setIndexFieldNames((ops.byte() & 3) == 0 ? QString() : names);
        break;
    }
    case 14: {
        const QString name = fieldNameAt(ds, ops.byte());
        if (name.isEmpty())
            break;
        const QVariant key = (ops.byte() & 1) && !ds.isEmpty() ? ds.fieldByName(name)->value() : ops.value();
        LocateOptions options;
        if (ops.byte() & 1)
            options |= LocateOption::CaseInsensitive;
        if (ops.byte() & 1)
            options |= LocateOption::PartialKey;
        ds.locate(name, key, options);
        break;
    }
    case 15:
        ds.mergeChangeLog();
        baseline = ds.data().rows();
        break;
    default:
        ds.cancelUpdates();
        FuzzCheck::require(rowKeys(ds.data().rows()) == rowKeys(baseline),
                           "cancelling every update does not bring back the loaded rows");
        break;
    }
}

void checkChangeLog(ClientDataSet &ds, const QList<QVariantList> &baseline)
{
    if (ds.state() == DataSetState::Edit || ds.state() == DataSetState::Insert)
        ds.cancel();
    const DataPacket current = ds.data();
    FuzzCheck::require(current.rowCount() == ds.recordCount(), "the dataset's rows and its record count differ");
    DataPacket delta = ds.delta();
    FuzzCheck::require(delta.isDelta(), "the delta is not a delta packet");
    FuzzCheck::require(delta.changes().size() == ds.changeCount(), "the delta and the change count differ");
    QString why;
    DataPacket checked = delta;
    FuzzCheck::require(checked.normalize(&why), "the delta does not fit its own fields");
    FuzzCheck::codecRoundTrip(packetVariant(delta));
    FuzzCheck::codecRoundTrip(packetVariant(current));
    FuzzCheck::require(rowKeys(applyDelta(baseline, delta)) == rowKeys(current.rows()),
                       "the rows at load with the delta applied are not the dataset's rows");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    FuzzCheck::silenceLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QCborStreamReader reader(bytes);
    QVariant value;
    QString error;
    if (size == 0 || !CborCodec::read(reader, &value, &error) || !isPacket(value))
        return 0;
    FuzzCheck::codecRoundTrip(value);
    const DataPacket packet = value.value<DataPacket>();
    if (packet.isDelta())
        return 0;

    const qsizetype opsAt = qsizetype(reader.currentOffset());
    OpStream ops(data + opsAt, size - size_t(opsAt));
    ClientDataSet ds;
    ds.setData(packet);
    QList<QVariantList> baseline = ds.data().rows();
    FuzzCheck::require(rowKeys(baseline) == rowKeys(packet.rows()), "loading a packet changed its rows");
    for (int n = 0; n < 64 && !ops.atEnd(); ++n) {
        try {
            edit(ds, ops, baseline);
        } catch (const DataSetError &) {
            // A refused misuse (a write in browse state, a value of the wrong type, a
            // required field left empty): the dataset must be as it was.
        }
    }
    checkChangeLog(ds, baseline);
    return 0;
}
