#include "DecisionCube.h"

#include <QSet>

#include <algorithm>
#include <stdexcept>

namespace {

// Distinct values of one dimension: the index of each record's value among the sorted
// distinct values.
struct Dimension
{
    QStringList values;
    std::vector<int> recordValue;
};

Dimension dimensionOf(const DataPacket &packet, int field)
{
    Dimension d;
    QHash<QString, int> seen;
    std::vector<int> firstIndex;
    d.recordValue.resize(packet.rowCount());
    const QList<QVariantList> &rows = packet.rows();
    for (int r = 0; r < packet.rowCount(); ++r) {
        const QVariant &v = rows.at(r).at(field);
        const QString text = v.isNull() ? QString() : v.toString();
        auto it = seen.constFind(text);
        if (it == seen.constEnd()) {
            it = seen.insert(text, int(d.values.size()));
            d.values.append(text);
        }
        d.recordValue[r] = it.value();
    }
    // Sort the distinct values and renumber the records' indexes.
    std::vector<int> order(d.values.size());
    for (int i = 0; i < int(order.size()); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = QString::compare(d.values.at(a), d.values.at(b), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : d.values.at(a) < d.values.at(b);
    });
    std::vector<int> rank(order.size());
    QStringList sorted;
    sorted.reserve(d.values.size());
    for (int i = 0; i < int(order.size()); ++i) {
        rank[order[i]] = i;
        sorted.append(d.values.at(order[i]));
    }
    for (int &v : d.recordValue)
        v = rank[v];
    d.values = sorted;
    return d;
}

int fieldOf(const DataPacket &packet, const QString &name)
{
    const int at = packet.fieldIndex(name);
    if (at < 0)
        throw std::invalid_argument("decision cube: the packet has no field " + name.toStdString());
    return at;
}

} // namespace

void DecisionCube::buildAxis(Axis &axis, const std::vector<qint64> &recordKeys, bool sparse)
{
    axis.keys.clear();
    if (axis.values.empty())
        return;
    qint64 combinations = 1;
    for (const QStringList &v : axis.values)
        combinations *= v.size();
    if (!sparse) {
        axis.keys.resize(combinations);
        for (qint64 k = 0; k < combinations; ++k)
            axis.keys[k] = k;
        return;
    }
    axis.keys = recordKeys;
    std::sort(axis.keys.begin(), axis.keys.end());
    axis.keys.erase(std::unique(axis.keys.begin(), axis.keys.end()), axis.keys.end());
}

void DecisionCube::build(const DataPacket &packet, const Layout &layout)
{
    clear();
    std::vector<int> columnFields, rowFields;
    for (const QString &f : layout.columnDimensions)
        columnFields.push_back(fieldOf(packet, f));
    for (const QString &f : layout.rowDimensions)
        rowFields.push_back(fieldOf(packet, f));
    const int summaryField = layout.summaryField.isEmpty() ? -1 : fieldOf(packet, layout.summaryField);
    const int records = packet.rowCount();

    // Each record's key on an axis.
    auto keysOf = [&](Axis &axis, const std::vector<int> &fields) {
        std::vector<Dimension> dims;
        for (int f : fields)
            dims.push_back(dimensionOf(packet, f));
        axis.values.clear();
        axis.strides.assign(dims.size(), 1);
        for (const Dimension &d : dims)
            axis.values.push_back(d.values);
        for (int d = int(dims.size()) - 2; d >= 0; --d)
            axis.strides[d] = axis.strides[d + 1] * qMax<qint64>(1, axis.values[d + 1].size());
        std::vector<qint64> keys(records, 0);
        for (size_t d = 0; d < dims.size(); ++d) {
            const qint64 stride = axis.strides[d];
            const std::vector<int> &value = dims[d].recordValue;
            for (int r = 0; r < records; ++r)
                keys[r] += value[r] * stride;
        }
        return keys;
    };
    const std::vector<qint64> columnKeys = keysOf(m_columnAxis, columnFields);
    const std::vector<qint64> rowKeys = keysOf(m_rowAxis, rowFields);
    buildAxis(m_columnAxis, columnKeys, m_columnSparse);
    buildAxis(m_rowAxis, rowKeys, m_rowSparse);

    // The position of a key on its axis (keys ascend).
    auto positionOf = [](const Axis &axis, qint64 key) {
        const auto it = std::lower_bound(axis.keys.begin(), axis.keys.end(), key);
        return int(it - axis.keys.begin());
    };
    std::vector<int> columnAt(columnKeys.size());
    {
        QHash<qint64, int> known;
        for (int r = 0; r < records; ++r) {
            auto it = known.constFind(columnKeys[r]);
            if (it == known.constEnd())
                it = known.insert(columnKeys[r], positionOf(m_columnAxis, columnKeys[r]));
            columnAt[r] = it.value();
        }
    }

    const qint64 columns = columnCount();
    const quint64 cells = quint64(rowCount()) * quint64(columns);
    m_dense = cells * kDenseCellBytes <= m_capacity;
    if (m_dense) {
        m_denseSource.assign(cells, -1);
        m_denseSum.assign(cells, 0.0);
    }
    m_recordRow.assign(records, -1);
    m_recordColumn.assign(records, -1);
    const QList<QVariantList> &rows = packet.rows();
    for (int r = 0; r < records; ++r) {
        const int row = positionOf(m_rowAxis, rowKeys[r]);
        const int column = columnAt[r];
        m_recordRow[r] = row;
        m_recordColumn[r] = column;
        const double value = summaryField < 0 ? 1.0 : rows.at(r).at(summaryField).toDouble();
        if (m_dense) {
            const qint64 at = qint64(row) * columns + column;
            if (m_denseSource[at] < 0)
                m_denseSource[at] = r;
            m_denseSum[at] += value;
        } else {
            Cell &c = m_sparse[(qint64(row) << 32) | quint32(column)];
            if (c.source < 0)
                c.source = r;
            c.sum += value;
        }
    }
    m_active = true;
}

void DecisionCube::clear()
{
    m_active = false;
    m_rowAxis = {};
    m_columnAxis = {};
    m_denseSource.clear();
    m_denseSum.clear();
    m_sparse.clear();
    m_recordRow.clear();
    m_recordColumn.clear();
}

QString DecisionCube::columnValue(int dim, int column) const
{
    if (dim < 0 || dim >= columnDimensionCount() || column < 0 || column >= columnCount())
        return {};
    return m_columnAxis.values[dim].at(m_columnAxis.valueIndex(dim, column));
}

QString DecisionCube::rowValue(int dim, int row) const
{
    if (dim < 0 || dim >= rowDimensionCount() || row < 0 || row >= rowCount())
        return {};
    return m_rowAxis.values[dim].at(m_rowAxis.valueIndex(dim, row));
}

int DecisionCube::sourceRow(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return -1;
    if (m_dense)
        return m_denseSource[qint64(row) * qint64(columnCount()) + column];
    const auto it = m_sparse.constFind((qint64(row) << 32) | quint32(column));
    return it == m_sparse.constEnd() ? -1 : it->source;
}

double DecisionCube::summary(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return 0;
    if (m_dense)
        return m_denseSum[qint64(row) * qint64(columnCount()) + column];
    const auto it = m_sparse.constFind((qint64(row) << 32) | quint32(column));
    return it == m_sparse.constEnd() ? 0 : it->sum;
}
