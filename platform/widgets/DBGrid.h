#pragma once

#include "DBGridCell.h"
#include "DBGridColumn.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

#include <functional>

class ClientDataSet;
class DataSetModel;
class DataSource;
class DBGridDelegate;
class Field;

// A data-aware grid: a table view over the dataset of a data source whose current cell
// stays in step with the dataset's current record.  Typing into a cell puts the dataset
// in edit and sets the field when the cell is left; moving to another row posts; Esc
// cancels the record's edit; Insert inserts a record and Ctrl+Delete deletes the current
// one (both switchable).
//
// The form reacts through event members with the system's meaning.  They run under the
// widget event guard: an exception ends the event and refuses what it guarded (a column
// change, a key).
//   onColEnter / onColExit   the selected column changed (exit runs first and may refuse)
//   onEditButtonClick        the ellipsis button of the selected cell (or Ctrl+Enter)
//   onKeyDown(key, mods)     any key, before the grid; set key to 0 to swallow it
//   onKeyPress(ch)           a typed character, before the cell sees it; set it to a null
//                            QChar to discard it, or to another character to replace it
//   onCellClick(column)      a click on a data cell
//   onDblClick               a double click on a data cell
//   onDrawColumnCell(cell)   change how a cell is painted (see DBGridCell)
//   onEnter / onExit         the grid received / lost the focus
class DBGrid : public QTableView
{
    Q_OBJECT

public:
    enum Option {
        Editing = 0x1,        // cells may be edited
        RowSelect = 0x2,      // the whole row is selected, never edited
        Tabs = 0x4,           // Tab moves between columns
        InsertKey = 0x8,      // Insert inserts a record
        DeleteKey = 0x10,     // Ctrl+Delete deletes the current record
        AppendOnDown = 0x20,  // Down on the last row appends a record
        Titles = 0x40,        // column titles shown
        Lines = 0x80,         // column and row lines
        AlwaysShowSelection = 0x100,
    };
    Q_DECLARE_FLAGS(Options, Option)

    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;

    DataSource *dataSource() const;
    void setDataSource(DataSource *source);
    ClientDataSet *dataSet() const;
    DataSetModel *dataSetModel() const { return m_model; }
    DBGridDelegate *gridDelegate() const { return m_delegate; }
    // Replaces the delegate that paints and edits the cells by one made for this grid
    // (the grid owns it; the previous one is deleted).
    void setGridDelegate(DBGridDelegate *delegate);

    // --- columns -----------------------------------------------------------------------
    // Without columns the grid shows every visible field of the dataset.
    void setColumns(const QList<DBGridColumn> &columns);
    QList<DBGridColumn> columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    const DBGridColumn &column(int index) const { return m_columns.at(index); }
    // Grid column of a field; -1 when the grid has no such column.
    int columnIndex(const QString &fieldName) const;
    Field *columnField(int index) const;
    void setColumnTitle(int index, const QString &title);
    void setColumnReadOnly(int index, bool readOnly);
    void setColumnVisible(int index, bool visible);
    void setColumnButtonStyle(int index, ColumnButtonStyle style);
    void setColumnPickList(int index, const QStringList &pickList);
    void setColumnPixelWidth(int index, int width);

    // --- selection -------------------------------------------------------------------
    int selectedIndex() const;            // grid column of the current cell; -1 none
    void setSelectedIndex(int index);
    Field *selectedField() const;
    void setSelectedField(const QString &fieldName);

    // --- options ---------------------------------------------------------------------
    Options options() const { return m_options; }
    void setOptions(Options options);
    void setOption(Option option, bool on = true);
    bool hasOption(Option option) const { return m_options.testFlag(option); }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // Background of the data cells (the system's Color); invalid: the palette's base.
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // The cell can be typed into now (editing on, grid, column, field and dataset allow it).
    bool canEditCell(const QModelIndex &index) const;
    // Whether the selected cell of a column shows a button, and which.
    ColumnButtonStyle effectiveButtonStyle(int modelColumn) const;

    // --- commands the keys also give -------------------------------------------------
    void cancelEdit();       // Esc: closes the cell editor and cancels the record's edit
    void clickEditButton();  // runs onEditButtonClick for the selected cell
    // Opens the cell editor on the current cell (as typing or F2 do).
    void showEditor();

    // --- events ----------------------------------------------------------------------
    std::function<void()> onColEnter;
    std::function<void()> onColExit;
    std::function<void()> onEditButtonClick;
    std::function<void(int &key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    std::function<void(QChar &key)> onKeyPress;
    std::function<void(int column)> onCellClick;
    std::function<void()> onDblClick;
    std::function<void(DBGridCell &cell)> onDrawColumnCell;
    std::function<void()> onEnter;
    std::function<void()> onExit;

    // For the delegate: a key in the open cell editor.  True when it was consumed.
    bool handleEditorKey(QWidget *editor, QKeyEvent *event);
    // For the delegate: the user changed the editor's text; the dataset goes into edit.
    // False when the dataset refused.
    bool beginEdit();
    // For the delegate: an editor's text could not be written into its field.
    void noteCommitFailed() { m_commitFailed = true; }
    // For the delegate: the cell editor just created.
    void noteEditorCreated(QWidget *editor) { m_editor = editor; }
    // The cell editor is open / has the keyboard focus.
    bool isEditorOpen() const;
    bool isEditorFocused() const;
    QWidget *cellEditor() const;

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

protected slots:
    void commitData(QWidget *editor) override;

private:
    // Runs onKeyDown / onKeyPress; false when the key was swallowed or discarded.  A
    // replaced character is returned in replacement.
    bool routeKey(QKeyEvent *event, QChar *replacement);
    void trackFocus(QWidget *old, QWidget *now);
    void syncToDataSet();
    // Writes the open cell editor's text into the current record before the dataset
    // posts (a toolbar command does not take the focus from the cell).
    void updateRecordFromEditor();
    void moveTo(const QModelIndex &index);
    void applyColumns();
    void applyEditTriggers();
    int modelColumn(int gridColumn) const;
    int gridColumn(int modelColumn) const;
    int defaultWidth(const DBGridColumn &column, const Field *field) const;
    void rebuildAutoColumns();
    void insertRecord();
    void deleteRecord();
    void appendRecord();

    QPointer<DataSource> m_source;
    DataSetModel *m_model = nullptr;
    DBGridDelegate *m_delegate = nullptr;
    QList<DBGridColumn> m_columns;
    bool m_autoColumns = true;
    Options m_options;
    bool m_readOnly = false;
    QColor m_color;
    bool m_syncing = false;
    bool m_updatingRecord = false;
    QMetaObject::Connection m_updateDataConnection;
    bool m_commitFailed = false;
    const QKeyEvent *m_routedKey = nullptr; // a key already offered to the form's handlers
    int m_lastModelColumn = -1;
    int m_exitingColumn = -1;
    QPointer<QWidget> m_editor;
    bool m_focusInside = false;
    bool m_applyingColumns = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DBGrid::Options)
