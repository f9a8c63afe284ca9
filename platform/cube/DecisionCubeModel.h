#pragma once

#include "DecisionCube.h"

#include <QAbstractTableModel>

// The pivot of a DecisionCube as a table: one model row per pivot row, one column per
// pivot column.  Header data gives each dimension's value of a row or column through
// DimensionValueRole, the dimension chosen by HeaderLevelRole's companion call
// headerValue().  The model owns its cube; rebuild() replaces it and resets views.
class DecisionCubeModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        SummaryRole = Qt::UserRole + 1, // double, the summed value
        SourceRowRole,                  // int, the first packet record of the cell, -1 empty
        HasDataRole,                    // bool
    };

    explicit DecisionCubeModel(QObject *parent = nullptr);

    DecisionCube &cube() { return m_cube; }
    const DecisionCube &cube() const { return m_cube; }

    // Builds the cube over packet and resets the model.
    void rebuild(const DataPacket &packet, const DecisionCube::Layout &layout);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // DisplayRole: the innermost dimension's value of the section.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The value of dimension dim (outer = 0) at a column or row.
    QString headerValue(Qt::Orientation orientation, int dim, int section) const;
    // The same, empty where it repeats the value of the previous section under the same
    // outer values: what a grid shows in a header cell.
    QString shownHeaderValue(Qt::Orientation orientation, int dim, int section) const;

private:
    DecisionCube m_cube;
};
