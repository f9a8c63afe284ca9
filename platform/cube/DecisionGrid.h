#pragma once

#include "DecisionDrawCell.h"

#include <QStringList>
#include <QTableView>

#include <functional>

class DecisionCubeModel;
class DecisionGridDelegate;
class DecisionHeaderView;
class QWidget;

// A table view of a DecisionCubeModel with hierarchical headers: one header row per
// column dimension (outer on top, a value shown once per run) and one header column per
// row dimension, and the column dimensions' caption in the corner.  Every cell is
// painted through the delegate and the drawing hook (see DecisionDrawCell for the
// coordinates).  Double click or Enter on a data cell emits cellActivated.
class DecisionGrid : public QTableView
{
    Q_OBJECT

public:
    explicit DecisionGrid(QWidget *parent = nullptr);

    void setCubeModel(DecisionCubeModel *model);
    DecisionCubeModel *cubeModel() const { return m_model; }
    DecisionGridDelegate *gridDelegate() const { return m_delegate; }

    using DrawCellHandler = std::function<void(DecisionDrawCell &)>;
    void setDrawCellHandler(DrawCellHandler handler);
    const DrawCellHandler &drawCellHandler() const { return m_drawCell; }

    // Captions of the column dimensions shown in the corner (joined by "/") unless the
    // hook replaces them.
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }

    QColor dataColor() const { return m_dataColor; }
    void setDataColor(const QColor &color);
    QFont rowHeaderFont() const { return m_rowHeaderFont; }
    void setRowHeaderFont(const QFont &font);
    void setRowHeaderWidth(int width);
    void setRowHeight(int height);

    // Rows and columns counted with the header rows and columns, as the fixed parts of a
    // grid: data rows are 0 .. rowCount() - fixedRows() - 1.
    int rowCount() const;
    int fixedRows() const;
    int columnCount() const;
    int fixedColumns() const;

    // The text of a cell before the drawing hook: for header cells the dimension value
    // shown there (empty where it repeats), for data cells the summary, for the corner the
    // caption.
    QString cellValue(int column, int row) const;

    // Moves the current cell to a data cell and shows it.
    void gotoCell(int column, int row);
    int currentColumn() const;
    int currentRow() const;

    void repaintAll();

signals:
    void cellActivated(int column, int row);
    void currentCellChanged(int column, int row);
    void keyReleased(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void updateGeometries() override;

private:
    DecisionCubeModel *m_model = nullptr;
    DecisionGridDelegate *m_delegate = nullptr;
    DecisionHeaderView *m_columnHeader = nullptr;
    DecisionHeaderView *m_rowHeader = nullptr;
    QWidget *m_corner = nullptr;
    DrawCellHandler m_drawCell;
    QString m_caption;
    QColor m_dataColor;
    QFont m_rowHeaderFont;
    int m_rowHeight = 17;
};
