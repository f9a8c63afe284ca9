#pragma once

#include "DataSource.h"

#include <QAbstractTableModel>
#include <QPointer>

// A table model over the dataset of a data source for data-aware grids.  Columns are the
// dataset's visible fields (or the columns set by the grid); the current record and the
// current row stay in step; editing a cell puts the dataset in edit and sets the field;
// moving to another row posts; cancel reverts.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Roles {
        FieldValueRole = Qt::UserRole + 1, // the raw field value (QVariant)
        FieldNameRole,                     // the field name of the column
        FieldTypeRole,                     // int(FieldType)
        UpdateStatusRole,                  // int(UpdateStatus) of the row
        OldValueRole,                      // the value before pending changes
    };

    explicit DataSetModel(DataSource *source, QObject *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    // Bind columns to fields by name; an empty list means every visible field.
    void setColumnFields(const QStringList &fieldNames);
    QStringList columnFields() const;
    Field *fieldForColumn(int column) const;
    int columnForField(const QString &fieldName) const; // -1 when not shown
    void setColumnTitle(int column, const QString &title);
    void setColumnReadOnly(int column, bool readOnly);
    bool columnReadOnly(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Makes a row current in the dataset (posting a pending edit of another row first).
    // When the dataset refuses (a before-event or a post that fails), its exception is
    // passed on to the caller and the current row stays where it was.
    void setCurrentRow(int row);

signals:
    // The dataset's current record moved; views select this row.
    void currentRowChanged(int row);

private:
    QPointer<DataSource> m_source;
    QStringList m_columnFields;
    QHash<int, QString> m_titles;
    QSet<int> m_readOnlyColumns;
    // connection bookkeeping is the implementation's
    void rebind();
    void reset();
    void refreshColumns();
    bool validCell(const QModelIndex &index) const;
    QPointer<ClientDataSet> m_boundDataSet;
    QList<Field *> m_columns; // refreshed on every reset of the dataset
    int m_rowCount = 0;       // rows as last told to the views
    // Between begin and end of a row insertion or removal the dataset already has its new
    // rows; views still ask by the old numbering, shifted here from m_shiftRow on.
    int m_shiftRow = -1;
    int m_shift = 0;
    int dataSetRow(int row) const;
};
