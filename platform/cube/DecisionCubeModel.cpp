#include "DecisionCubeModel.h"

DecisionCubeModel::DecisionCubeModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void DecisionCubeModel::rebuild(const DataPacket &packet, const DecisionCube::Layout &layout)
{
    beginResetModel();
    try {
        m_cube.build(packet, layout);
    } catch (...) {
        m_cube.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void DecisionCubeModel::clear()
{
    beginResetModel();
    m_cube.clear();
    endResetModel();
}

int DecisionCubeModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cube.rowCount();
}

int DecisionCubeModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cube.columnCount();
}

QVariant DecisionCubeModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        if (!m_cube.hasData(index.row(), index.column()))
            return QString();
        return QString::number(m_cube.summary(index.row(), index.column()));
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignRight | Qt::AlignVCenter);
    case SummaryRole:
        return m_cube.summary(index.row(), index.column());
    case SourceRowRole:
        return m_cube.sourceRow(index.row(), index.column());
    case HasDataRole:
        return m_cube.hasData(index.row(), index.column());
    default:
        return {};
    }
}

QVariant DecisionCubeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    const int dims = orientation == Qt::Horizontal ? m_cube.columnDimensionCount() : m_cube.rowDimensionCount();
    return dims > 0 ? headerValue(orientation, dims - 1, section) : QVariant();
}

QString DecisionCubeModel::headerValue(Qt::Orientation orientation, int dim, int section) const
{
    return orientation == Qt::Horizontal ? m_cube.columnValue(dim, section) : m_cube.rowValue(dim, section);
}

QString DecisionCubeModel::shownHeaderValue(Qt::Orientation orientation, int dim, int section) const
{
    const QString value = headerValue(orientation, dim, section);
    if (section <= 0)
        return value;
    // Repeated only while every dimension up to this one holds the previous section's value.
    for (int d = 0; d <= dim; ++d) {
        if (headerValue(orientation, d, section) != headerValue(orientation, d, section - 1))
            return value;
    }
    return QString();
}
