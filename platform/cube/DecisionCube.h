#pragma once

#include "DataPacket.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// A pivot of the rows of a data packet: the distinct values of some string fields become
// the columns (outer dimension first), those of others the rows, and one numeric field is
// summed into the cell where a record's values meet.  Each cell also remembers the first
// record that fell into it, so that a form can read that record's other fields.
//
// Sparsing drops the rows (or columns) that hold no record: without column sparsing the
// columns are every combination of the column dimensions' values, with it only the
// combinations some record has.  Values sort case-insensitively.
//
// Cells are held in one dense array while it fits the cube's capacity (bytes), else in a
// hash of the filled cells only.
class DecisionCube
{
public:
    struct Layout
    {
        QStringList columnDimensions; // outer first
        QStringList rowDimensions;    // outer first
        QString summaryField;         // summed; a record counts 1 when empty
    };

    // The size of one cell in the dense array.
    static constexpr quint64 kDenseCellBytes = sizeof(int) + sizeof(double);

    void setCapacity(quint64 bytes) { m_capacity = bytes; }
    quint64 capacity() const { return m_capacity; }
    void setRowSparsing(bool on) { m_rowSparse = on; }
    void setColumnSparsing(bool on) { m_columnSparse = on; }
    bool rowSparsing() const { return m_rowSparse; }
    bool columnSparsing() const { return m_columnSparse; }

    // Builds the pivot; a field of the layout the packet lacks throws std::invalid_argument.
    void build(const DataPacket &packet, const Layout &layout);
    void clear();
    bool isActive() const { return m_active; }
    bool isDense() const { return m_dense; }

    int rowCount() const { return int(m_rowAxis.keys.size()); }
    int columnCount() const { return int(m_columnAxis.keys.size()); }
    int rowDimensionCount() const { return int(m_rowAxis.values.size()); }
    int columnDimensionCount() const { return int(m_columnAxis.values.size()); }

    // The value of dimension dim (an index among the column or row dimensions) at a
    // column or row of the pivot.
    QString columnValue(int dim, int column) const;
    QString rowValue(int dim, int row) const;

    bool hasData(int row, int column) const { return sourceRow(row, column) >= 0; }
    double summary(int row, int column) const;
    // The first packet record of the cell; -1 for an empty cell.
    int sourceRow(int row, int column) const;
    // The pivot row and column a packet record fell into.
    int rowOfRecord(int record) const { return record >= 0 && record < int(m_recordRow.size()) ? m_recordRow[record] : -1; }
    int columnOfRecord(int record) const { return record >= 0 && record < int(m_recordColumn.size()) ? m_recordColumn[record] : -1; }

private:
    struct Cell
    {
        int source = -1;
        double sum = 0;
    };
    // A combination of values of an axis' dimensions as one number: the value indexes in
    // mixed radix, outer dimension most significant, so that keys sort like the values.
    struct Axis
    {
        std::vector<QStringList> values; // sorted distinct values per dimension
        std::vector<qint64> strides;
        std::vector<qint64> keys;        // one per pivot row or column, ascending
        int valueIndex(int dim, int at) const
        {
            return int((keys[at] / strides[dim]) % qint64(values[dim].size()));
        }
    };

    static void buildAxis(Axis &axis, const std::vector<qint64> &recordKeys, bool sparse);

    quint64 m_capacity = 2147483647;
    bool m_rowSparse = true;
    bool m_columnSparse = true;
    bool m_active = false;
    bool m_dense = true;
    Axis m_rowAxis;
    Axis m_columnAxis;
    std::vector<int> m_denseSource;
    std::vector<double> m_denseSum;
    QHash<qint64, Cell> m_sparse;
    std::vector<int> m_recordRow;
    std::vector<int> m_recordColumn;
};
