#include "DBGrid.h"

#include "DBGridDelegate.h"
#include "DataSetModel.h"
#include "EventGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace {

bool isEditing(const ClientDataSet *ds)
{
    return ds && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
}

} // namespace

DBGrid::DBGrid(QWidget *parent)
    : QTableView(parent)
{
    m_delegate = new DBGridDelegate(this);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (m_applyingColumns)
            return;
        const int col = gridColumn(section);
        if (col >= 0)
            m_columns[col].width = size;
    });
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::trackFocus);
    setOptions(Editing | Titles | Lines | Tabs | InsertKey | DeleteKey | AppendOnDown);
    setDataSource(nullptr);
}

DBGrid::~DBGrid() = default;

void DBGrid::setGridDelegate(DBGridDelegate *delegate)
{
    if (!delegate || delegate == m_delegate)
        return;
    if (isEditorOpen())
        closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
    delegate->setParent(this);
    DBGridDelegate *old = m_delegate;
    m_delegate = delegate;
    setItemDelegate(delegate);
    delete old;
    viewport()->update();
}

// --- binding -------------------------------------------------------------------------

DataSource *DBGrid::dataSource() const
{
    return m_source;
}

void DBGrid::setDataSource(DataSource *source)
{
    if (m_model && m_source == source)
        return;
    m_source = source;
    DataSetModel *oldModel = m_model;
    QItemSelectionModel *oldSelection = selectionModel();
    m_model = new DataSetModel(source, this);
    if (!m_autoColumns) {
        QStringList names;
        for (const DBGridColumn &c : std::as_const(m_columns))
            names << c.fieldName;
        m_model->setColumnFields(names);
    }
    setModel(m_model);
    delete oldSelection;
    delete oldModel;
    connect(m_model, &DataSetModel::currentRowChanged, this, &DBGrid::syncToDataSet);
    disconnect(m_updateDataConnection);
    if (source)
        m_updateDataConnection = connect(source, &DataSource::updateData, this, &DBGrid::updateRecordFromEditor);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumns();
        syncToDataSet();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DBGrid::syncToDataSet);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DBGrid::syncToDataSet);
    applyColumns();
    syncToDataSet();
}

ClientDataSet *DBGrid::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

// --- columns -----------------------------------------------------------------------

void DBGrid::setColumns(const QList<DBGridColumn> &columns)
{
    m_columns = columns;
    m_autoColumns = columns.isEmpty();
    QStringList names;
    for (const DBGridColumn &c : columns)
        names << c.fieldName;
    if (m_model)
        m_model->setColumnFields(names); // resets the model, which applies the columns
}

int DBGrid::columnIndex(const QString &fieldName) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field *DBGrid::columnField(int index) const
{
    return m_model ? m_model->fieldForColumn(modelColumn(index)) : nullptr;
}

int DBGrid::modelColumn(int gridColumn) const
{
    if (!m_model || gridColumn < 0 || gridColumn >= m_columns.size())
        return -1;
    return m_model->columnForField(m_columns.at(gridColumn).fieldName);
}

int DBGrid::gridColumn(int modelColumn) const
{
    const Field *f = m_model ? m_model->fieldForColumn(modelColumn) : nullptr;
    return f ? columnIndex(f->fieldName()) : -1;
}

void DBGrid::setColumnTitle(int index, const QString &title)
{
    m_columns[index].title = title;
    applyColumns();
}

void DBGrid::setColumnReadOnly(int index, bool readOnly)
{
    m_columns[index].readOnly = readOnly;
    applyColumns();
}

void DBGrid::setColumnVisible(int index, bool visible)
{
    m_columns[index].visible = visible;
    applyColumns();
}

void DBGrid::setColumnButtonStyle(int index, ColumnButtonStyle style)
{
    m_columns[index].buttonStyle = style;
    viewport()->update();
}

void DBGrid::setColumnPickList(int index, const QStringList &pickList)
{
    m_columns[index].pickList = pickList;
}

void DBGrid::setColumnPixelWidth(int index, int width)
{
    m_columns[index].width = width;
    applyColumns();
}

void DBGrid::rebuildAutoColumns()
{
    QList<DBGridColumn> columns;
    for (int mc = 0; m_model && mc < m_model->columnCount(); ++mc) {
        const Field *f = m_model->fieldForColumn(mc);
        const int existing = columnIndex(f->fieldName());
        columns << (existing >= 0 ? m_columns.at(existing) : DBGridColumn(f->fieldName()));
    }
    m_columns = columns;
}

int DBGrid::defaultWidth(const DBGridColumn &column, const Field *field) const
{
    const QFontMetrics fm = fontMetrics();
    const int charWidth = fm.averageCharWidth();
    int chars = 10;
    if (field) {
        if (field->displayWidth() > 0) {
            chars = field->displayWidth();
        } else {
            switch (field->dataType()) {
            case FieldType::String:
            case FieldType::FixedString:
                chars = qBound(2, field->size(), 30);
                break;
            case FieldType::Float:
                chars = 14;
                break;
            case FieldType::Integer:
                chars = 8;
                break;
            case FieldType::Date:
                chars = 11;
                break;
            case FieldType::DateTime:
                chars = 17;
                break;
            case FieldType::Boolean:
                chars = 5;
                break;
            case FieldType::Memo:
                chars = 30;
                break;
            }
        }
    }
    const QString title = column.title.isEmpty() && field ? field->displayLabel() : column.title;
    return qMax(chars * charWidth + 8, fm.horizontalAdvance(title) + 12);
}

void DBGrid::applyColumns()
{
    if (!m_model)
        return;
    m_applyingColumns = true;
    if (m_autoColumns)
        rebuildAutoColumns();
    for (int i = 0; i < m_columns.size(); ++i) {
        const int mc = modelColumn(i);
        if (mc < 0)
            continue;
        const DBGridColumn &c = m_columns.at(i);
        if (!c.title.isEmpty())
            m_model->setColumnTitle(mc, c.title);
        m_model->setColumnReadOnly(mc, c.readOnly);
        setColumnHidden(mc, !c.visible);
        QTableView::setColumnWidth(mc, c.width > 0 ? c.width : defaultWidth(c, m_model->fieldForColumn(mc)));
    }
    horizontalHeader()->setVisible(hasOption(Titles));
    setShowGrid(hasOption(Lines));
    m_applyingColumns = false;
    viewport()->update();
}

// --- selection ----------------------------------------------------------------------

int DBGrid::selectedIndex() const
{
    if (m_exitingColumn >= 0)
        return gridColumn(m_exitingColumn); // the column being left, while onColExit runs
    const QModelIndex current = currentIndex();
    return gridColumn(current.isValid() ? current.column() : m_lastModelColumn);
}

void DBGrid::setSelectedIndex(int index)
{
    const int mc = modelColumn(index);
    if (mc < 0)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid())
        setCurrentIndex(m_model->index(current.row(), mc));
    else
        m_lastModelColumn = mc;
}

Field *DBGrid::selectedField() const
{
    return columnField(selectedIndex());
}

void DBGrid::setSelectedField(const QString &fieldName)
{
    setSelectedIndex(columnIndex(fieldName));
}

// --- options ------------------------------------------------------------------------

void DBGrid::setOptions(Options options)
{
    m_options = options;
    setSelectionBehavior(options.testFlag(RowSelect) ? SelectRows : SelectItems);
    setTabKeyNavigation(options.testFlag(Tabs));
    if (!canEditCell(currentIndex()) && isEditorOpen())
        closeEditor(m_editor, QAbstractItemDelegate::SubmitModelCache);
    applyColumns();
}

void DBGrid::setOption(Option option, bool on)
{
    setOptions(on ? (m_options | option) : (m_options & ~Options(option)));
}

void DBGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (readOnly && isEditorOpen())
        closeEditor(m_editor, QAbstractItemDelegate::SubmitModelCache);
}

void DBGrid::setColor(const QColor &color)
{
    m_color = color;
    viewport()->update();
}

bool DBGrid::canEditCell(const QModelIndex &index) const
{
    if (!index.isValid() || !m_model || m_readOnly || !hasOption(Editing) || hasOption(RowSelect))
        return false;
    const int col = gridColumn(index.column());
    if (col >= 0 && m_columns.at(col).readOnly)
        return false;
    const ClientDataSet *ds = dataSet();
    if (!ds || !ds->active() || ds->readOnly() || (m_source && !m_source->enabled()))
        return false;
    return m_model->flags(index).testFlag(Qt::ItemIsEditable);
}

ColumnButtonStyle DBGrid::effectiveButtonStyle(int modelColumn) const
{
    const int col = gridColumn(modelColumn);
    if (col < 0)
        return ColumnButtonStyle::None;
    const DBGridColumn &c = m_columns.at(col);
    if (c.buttonStyle == ColumnButtonStyle::Ellipsis)
        return ColumnButtonStyle::Ellipsis;
    if (c.buttonStyle == ColumnButtonStyle::Auto && !c.pickList.isEmpty()
        && canEditCell(m_model->index(qMax(0, currentIndex().row()), modelColumn)))
        return ColumnButtonStyle::Auto;
    return ColumnButtonStyle::None;
}

bool DBGrid::isEditorOpen() const
{
    return m_editor && state() == EditingState;
}

bool DBGrid::isEditorFocused() const
{
    const QWidget *focus = QApplication::focusWidget();
    return isEditorOpen() && focus && (focus == m_editor || m_editor->isAncestorOf(focus));
}

QWidget *DBGrid::cellEditor() const
{
    return isEditorOpen() ? m_editor.data() : nullptr;
}

// --- keeping the current cell and the dataset's record in step -----------------------------

void DBGrid::moveTo(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_syncing = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                 | (hasOption(RowSelect) ? QItemSelectionModel::Rows
                                                                         : QItemSelectionModel::NoUpdate));
    m_syncing = false;
}

void DBGrid::syncToDataSet()
{
    if (!m_model || !selectionModel())
        return;
    const ClientDataSet *ds = dataSet();
    const int row = ds && ds->active() ? ds->currentRow() : -1;
    if (row < 0 || row >= m_model->rowCount())
        return;
    QModelIndex current = currentIndex();
    int column = current.isValid() ? current.column() : m_lastModelColumn;
    if (column < 0 || column >= m_model->columnCount() || isColumnHidden(column)) {
        column = 0;
        while (column < m_model->columnCount() - 1 && isColumnHidden(column))
            ++column;
    }
    if (current.isValid() && current.row() == row && current.column() == column)
        return;
    moveTo(m_model->index(row, column));
    m_lastModelColumn = column;
    scrollTo(currentIndex());
}

void DBGrid::updateRecordFromEditor()
{
    if (m_updatingRecord || m_syncing || !isEditorOpen() || !m_source || !m_source->dataSet())
        return;
    // Only the cell of the record being posted; another row's editor is written when the
    // grid itself moves off it.
    if (currentIndex().row() != m_source->dataSet()->currentRow())
        return;
    QScopedValueRollback<bool> guard(m_updatingRecord, true);
    commitData(m_editor);
}

void DBGrid::commitData(QWidget *editor)
{
    // A move of the dataset made by the program drops the cell's unsaved text instead of
    // writing it into another record.
    if (m_syncing)
        return;
    QTableView::commitData(editor);
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    m_commitFailed = false;
    QTableView::currentChanged(current, previous); // writes and closes the previous cell's editor
    if (m_syncing || !current.isValid())
        return;
    if (m_commitFailed) {
        moveTo(previous);
        return;
    }
    const int previousColumn = previous.isValid() ? previous.column() : m_lastModelColumn;
    const bool columnMoved = previousColumn >= 0 && current.column() != previousColumn;
    if (columnMoved && onColExit) {
        m_exitingColumn = previousColumn;
        const bool left = EventGuard::run(onColExit);
        m_exitingColumn = -1;
        if (!left) {
            moveTo(previous.isValid() ? previous : m_model->index(current.row(), previousColumn));
            return;
        }
    }
    m_lastModelColumn = current.column();
    ClientDataSet *ds = dataSet();
    if (ds && ds->active() && current.row() != ds->currentRow()) {
        // Leaving the row posts its edit; a refusal keeps the user on the edited row.
        const int target = current.row();
        const bool moved = EventGuard::run([this, target] { m_model->setCurrentRow(target); });
        if (!moved || ds->currentRow() != target) {
            if (columnMoved)
                m_lastModelColumn = previousColumn;
            moveTo(m_model->index(ds->currentRow(), m_lastModelColumn));
            return;
        }
        syncToDataSet();
    }
    if (columnMoved && onColEnter)
        EventGuard::run(onColEnter);
}

bool DBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!canEditCell(index))
        return false;
    return QTableView::edit(index, trigger, event);
}

void DBGrid::showEditor()
{
    const QModelIndex index = currentIndex();
    if (canEditCell(index))
        QTableView::edit(index);
}

bool DBGrid::beginEdit()
{
    ClientDataSet *ds = dataSet();
    if (!ds || !ds->active())
        return false;
    if (isEditing(ds))
        return true;
    EventGuard::run([ds] { ds->edit(); });
    return isEditing(ds);
}

// --- commands ---------------------------------------------------------------------------

void DBGrid::cancelEdit()
{
    if (isEditorOpen()) {
        QWidget *editor = m_editor;
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        setFocus(Qt::OtherFocusReason);
    }
    ClientDataSet *ds = dataSet();
    if (isEditing(ds))
        EventGuard::run([ds] { ds->cancel(); });
    syncToDataSet();
}

void DBGrid::clickEditButton()
{
    if (onEditButtonClick)
        EventGuard::run(onEditButtonClick);
}

void DBGrid::insertRecord()
{
    ClientDataSet *ds = dataSet();
    if (!ds || !ds->active() || m_readOnly || !hasOption(Editing) || ds->readOnly())
        return;
    EventGuard::run([ds] { ds->insert(); });
    syncToDataSet();
}

void DBGrid::appendRecord()
{
    ClientDataSet *ds = dataSet();
    if (!ds || !ds->active() || m_readOnly || !hasOption(Editing) || ds->readOnly())
        return;
    EventGuard::run([ds] { ds->append(); });
    syncToDataSet();
}

void DBGrid::deleteRecord()
{
    ClientDataSet *ds = dataSet();
    if (!ds || !ds->active() || ds->isEmpty() || m_readOnly || ds->readOnly())
        return;
    EventGuard::run([ds] { ds->deleteRecord(); });
    syncToDataSet();
}

// --- keys -------------------------------------------------------------------------------

bool DBGrid::routeKey(QKeyEvent *event, QChar *replacement)
{
    int key = event->key();
    if (onKeyDown) {
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        if (!EventGuard::run([this, &key, modifiers] { onKeyDown(key, modifiers); }) || key == 0)
            return false;
    }
    const QString text = event->text();
    if (onKeyPress && !text.isEmpty()) {
        QChar ch = text.at(0);
        if (!EventGuard::run([this, &ch] { onKeyPress(ch); }) || ch.isNull())
            return false;
        if (ch != text.at(0))
            *replacement = ch;
    }
    return true;
}

bool DBGrid::handleEditorKey(QWidget *editor, QKeyEvent *event)
{
    if (event == m_routedKey)
        return false; // the grid offered it already and opened the editor with it
    QChar replacement;
    if (!routeKey(event, &replacement))
        return true;
    if (!replacement.isNull()) {
        QKeyEvent replaced(QEvent::KeyPress, replacement.toUpper().unicode(), event->modifiers(),
                           QString(replacement));
        m_routedKey = &replaced;
        QCoreApplication::sendEvent(editor, &replaced);
        m_routedKey = nullptr;
        return true;
    }
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelEdit();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) {
            clickEditButton();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    // A key the open editor did not want arrives here too; it was offered already.
    const QWidget *focus = QApplication::focusWidget();
    const bool fromEditor = focus && focus != this && isAncestorOf(focus);
    QKeyEvent *key = event;
    std::unique_ptr<QKeyEvent> replaced;
    if (!fromEditor) {
        QChar replacement;
        if (!routeKey(event, &replacement)) {
            event->accept();
            return;
        }
        if (!replacement.isNull()) {
            replaced = std::make_unique<QKeyEvent>(QEvent::KeyPress, replacement.toUpper().unicode(),
                                                   event->modifiers(), QString(replacement));
            key = replaced.get();
        }
    }

    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    ClientDataSet *ds = dataSet();
    switch (key->key()) {
    case Qt::Key_Escape:
        cancelEdit();
        event->accept();
        return;
    case Qt::Key_Insert:
        if (hasOption(InsertKey) && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
            insertRecord();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (ctrl && hasOption(DeleteKey)) {
            deleteRecord();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Down:
        if (hasOption(AppendOnDown) && ds && ds->active() && ds->state() == DataSetState::Browse
            && (ds->isEmpty() || ds->currentRow() == ds->recordCount() - 1) && !fromEditor) {
            appendRecord();
            event->accept();
            return;
        }
        if (ds && ds->state() == DataSetState::Insert && !ds->modified()
            && ds->currentRow() == ds->recordCount() - 1) {
            event->accept(); // an untouched new last record is not left downwards
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) {
            clickEditButton();
            event->accept();
            return;
        }
        if (!fromEditor && !isEditorOpen() && canEditCell(currentIndex())) {
            showEditor();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    m_routedKey = key;
    QTableView::keyPressEvent(key);
    m_routedKey = nullptr;
    event->setAccepted(key->isAccepted());
}

// --- mouse and focus ------------------------------------------------------------------

void DBGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && index == currentIndex() && event->button() == Qt::LeftButton
        && m_delegate->showsButton(index) && m_delegate->buttonRect(visualRect(index)).contains(pos)) {
        if (effectiveButtonStyle(index.column()) == ColumnButtonStyle::Ellipsis) {
            clickEditButton();
        } else {
            showEditor();
            if (auto *combo = qobject_cast<QComboBox *>(cellEditor()))
                combo->showPopup();
        }
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    // A refused move leaves the current cell elsewhere: it keeps the selection.
    if (currentIndex().isValid() && !selectionModel()->isSelected(currentIndex()))
        moveTo(currentIndex());
    if (index.isValid() && index == currentIndex() && event->button() == Qt::LeftButton && onCellClick) {
        const int column = gridColumn(index.column());
        EventGuard::run([this, column] { onCellClick(column); });
    }
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid() && onDblClick)
        EventGuard::run(onDblClick);
}

void DBGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void DBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

// The cell editor belongs to the grid: focus moving between the grid and its editor is
// neither an enter nor an exit.
void DBGrid::trackFocus(QWidget *, QWidget *now)
{
    const bool inside = now && (now == this || isAncestorOf(now));
    if (inside == m_focusInside)
        return;
    m_focusInside = inside;
    const std::function<void()> &handler = inside ? onEnter : onExit;
    if (handler)
        EventGuard::run(handler);
}
