#include "DataSetModel.h"

DataSetModel::DataSetModel(DataSource *source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source)
{
    if (source)
        connect(source, &DataSource::dataSetChanged, this, [this] { rebind(); });
    rebind();
}

// Follows the source's dataset: the row signals become the model's row notifications.
// The model keeps its own row count so that what it reports stays consistent with what
// it has announced, also while the dataset's controls are disabled.
void DataSetModel::rebind()
{
    ClientDataSet *ds = m_source ? m_source->dataSet() : nullptr;
    if (m_boundDataSet)
        disconnect(m_boundDataSet, nullptr, this, nullptr);
    m_boundDataSet = ds;
    if (ds) {
        connect(ds, &ClientDataSet::dataReset, this, [this] { reset(); });
        connect(ds, &ClientDataSet::rowInserted, this, [this](int row) {
            m_shiftRow = row;
            m_shift = 1;
            beginInsertRows({}, row, row);
            m_shift = 0;
            ++m_rowCount;
            endInsertRows();
        });
        connect(ds, &ClientDataSet::rowRemoved, this, [this](int row) {
            if (row < 0 || row >= m_rowCount)
                return;
            m_shiftRow = row;
            m_shift = -1;
            beginRemoveRows({}, row, row);
            m_shift = 0;
            --m_rowCount;
            endRemoveRows();
        });
        connect(ds, &ClientDataSet::rowChanged, this, [this](int row) {
            if (row >= 0 && row < m_rowCount && !m_columns.isEmpty())
                emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
        });
        connect(ds, &ClientDataSet::fieldChanged, this, [this](Field *) {
            const int row = m_boundDataSet ? m_boundDataSet->currentRow() : -1;
            if (row >= 0 && row < m_rowCount && !m_columns.isEmpty())
                emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
        });
        connect(ds, &ClientDataSet::valuesChanged, this, [this] {
            if (m_rowCount > 0 && !m_columns.isEmpty())
                emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1));
        });
        connect(ds, &ClientDataSet::currentRowChanged, this, &DataSetModel::currentRowChanged);
        connect(ds, &QObject::destroyed, this, [this] { reset(); });
    }
    reset();
}

void DataSetModel::reset()
{
    beginResetModel();
    refreshColumns();
    m_rowCount = m_boundDataSet ? m_boundDataSet->recordCount() : 0;
    endResetModel();
}

void DataSetModel::refreshColumns()
{
    m_columns.clear();
    if (!m_boundDataSet)
        return;
    if (m_columnFields.isEmpty()) {
        for (Field *f : m_boundDataSet->fields()) {
            if (f->visible())
                m_columns.append(f);
        }
    } else {
        for (const QString &name : m_columnFields) {
            if (Field *f = m_boundDataSet->findField(name))
                m_columns.append(f);
        }
    }
}

void DataSetModel::setColumnFields(const QStringList &fieldNames)
{
    m_columnFields = fieldNames;
    reset();
}

QStringList DataSetModel::columnFields() const
{
    if (!m_columnFields.isEmpty())
        return m_columnFields;
    QStringList names;
    for (Field *f : m_columns)
        names.append(f->fieldName());
    return names;
}

Field *DataSetModel::fieldForColumn(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns.at(column) : nullptr;
}

int DataSetModel::columnForField(const QString &fieldName) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i)->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void DataSetModel::setColumnTitle(int column, const QString &title)
{
    m_titles.insert(column, title);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DataSetModel::setColumnReadOnly(int column, bool readOnly)
{
    if (readOnly)
        m_readOnlyColumns.insert(column);
    else
        m_readOnlyColumns.remove(column);
}

bool DataSetModel::columnReadOnly(int column) const
{
    return m_readOnlyColumns.contains(column);
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int DataSetModel::dataSetRow(int row) const
{
    if (m_shift > 0 && row >= m_shiftRow)
        return row + 1;
    if (m_shift < 0 && row >= m_shiftRow)
        return row == m_shiftRow ? -1 : row - 1; // the removed row is gone already
    return row;
}

bool DataSetModel::validCell(const QModelIndex &index) const
{
    return index.isValid() && m_boundDataSet && index.row() < m_rowCount
            && index.column() < m_columns.size();
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!validCell(index))
        return QVariant();
    Field *f = m_columns.at(index.column());
    const int row = dataSetRow(index.row());
    if (row < 0 || row >= m_boundDataSet->recordCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_boundDataSet->displayTextAt(row, f->index());
    case Qt::EditRole:
        return m_boundDataSet->textAt(row, f->index());
    case Qt::TextAlignmentRole:
        if (f->dataType() == FieldType::Float || f->dataType() == FieldType::Integer)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case FieldValueRole:
        return m_boundDataSet->valueAt(row, f->index());
    case FieldNameRole:
        return f->fieldName();
    case FieldTypeRole:
        return int(f->dataType());
    case UpdateStatusRole:
        return int(m_boundDataSet->updateStatusAt(row));
    case OldValueRole:
        return m_boundDataSet->oldValueAt(row, f->index());
    default:
        return QVariant();
    }
}

// Editing a cell: the row becomes current (posting a pending edit of another row), the
// dataset goes into edit, and the field is set from the editor's text or value.  A refusal
// of the dataset (an exception) reaches the caller.
bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !validCell(index) || !(flags(index) & Qt::ItemIsEditable))
        return false;
    ClientDataSet *ds = m_boundDataSet;
    Field *f = m_columns.at(index.column());
    if (index.row() >= ds->recordCount())
        return false;
    if (index.row() != ds->currentRow())
        ds->setRecNo(index.row() + 1);
    if (ds->state() == DataSetState::Browse)
        ds->edit();
    if (value.metaType().id() == QMetaType::QString)
        f->setText(value.toString());
    else
        f->setValue(value);
    return true;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_rowCount)
            return section + 1;
        return QVariant();
    }
    if (section < 0 || section >= m_columns.size())
        return QVariant();
    Field *f = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return m_titles.contains(section) ? m_titles.value(section) : f->displayLabel();
    case FieldNameRole:
        return f->fieldName();
    case FieldTypeRole:
        return int(f->dataType());
    default:
        return QVariant();
    }
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!validCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const Field *f = m_columns.at(index.column());
    if (!m_boundDataSet->readOnly() && !f->readOnly() && f->fieldKind() == FieldKind::Data
        && !m_readOnlyColumns.contains(index.column()))
        fl |= Qt::ItemIsEditable;
    return fl;
}

void DataSetModel::setCurrentRow(int row)
{
    if (!m_boundDataSet || row < 0 || row >= m_boundDataSet->recordCount()
        || row == m_boundDataSet->currentRow())
        return;
    m_boundDataSet->setRecNo(row + 1);
}
