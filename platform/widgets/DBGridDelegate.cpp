#include "DBGridDelegate.h"

#include "DBGrid.h"
#include "DataSetModel.h"
#include "EventGuard.h"
#include "MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace {

const char *const kModifiedProperty = "dbgridModified";

bool isNumeric(const Field *field)
{
    return field && (field->dataType() == FieldType::Float || field->dataType() == FieldType::Integer);
}

} // namespace

DBGridDelegate::DBGridDelegate(DBGrid *grid)
    : QStyledItemDelegate(grid), m_grid(grid)
{
}

DBGridCell DBGridDelegate::describeCell(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    DBGridCell cell;
    const DataSetModel *model = m_grid->dataSetModel();
    cell.row = index.row();
    cell.column = -1;
    for (int i = 0; i < m_grid->columnCount(); ++i) {
        if (m_grid->columnIndex(m_grid->column(i).fieldName) == i
            && model->columnForField(m_grid->column(i).fieldName) == index.column()) {
            cell.column = i;
            break;
        }
    }
    cell.field = model->fieldForColumn(index.column());
    cell.fieldName = cell.field ? cell.field->fieldName() : QString();
    cell.dataSet = m_grid->dataSet();
    cell.value = index.data(DataSetModel::FieldValueRole);
    cell.text = index.data(Qt::DisplayRole).toString();
    cell.rect = option.rect;
    cell.currentRow = cell.dataSet && cell.dataSet->currentRow() == index.row();
    cell.focused = index == m_grid->currentIndex() && m_grid->hasFocus();
    cell.selected = option.state.testFlag(QStyle::State_Selected)
        && (m_grid->hasFocus() || m_grid->hasOption(DBGrid::AlwaysShowSelection));

    cell.background = m_grid->color().isValid() ? m_grid->color() : option.palette.color(QPalette::Base);
    cell.foreground = option.palette.color(QPalette::Text);
    if (cell.selected) {
        cell.background = option.palette.color(QPalette::Highlight);
        cell.foreground = option.palette.color(QPalette::HighlightedText);
    }
    Qt::Alignment alignment;
    if (cell.column >= 0)
        alignment = m_grid->column(cell.column).alignment;
    if (!alignment)
        alignment = isNumeric(cell.field) ? Qt::AlignRight : Qt::AlignLeft;
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    cell.alignment = alignment;
    cell.drawFocusRect = cell.focused;
    decorateCell(cell);

    if (m_grid->onDrawColumnCell) {
        // Painting shows no messages: a failing draw handler leaves the default look.
        DBGridCell custom = cell;
        try {
            m_grid->onDrawColumnCell(custom);
            cell = custom;
        } catch (...) {
        }
    }
    return cell;
}

void DBGridDelegate::decorateCell(DBGridCell &) const
{
}

DBGridCell DBGridDelegate::describeCell(int row, int gridColumn) const
{
    const DataSetModel *model = m_grid->dataSetModel();
    if (gridColumn < 0 || gridColumn >= m_grid->columnCount())
        return {};
    const QModelIndex index = model->index(row, model->columnForField(m_grid->column(gridColumn).fieldName));
    if (!index.isValid())
        return {};
    QStyleOptionViewItem option;
    option.initFrom(m_grid->viewport());
    option.rect = m_grid->visualRect(index);
    if (m_grid->selectionModel() && m_grid->selectionModel()->isSelected(index))
        option.state |= QStyle::State_Selected;
    return describeCell(option, index);
}

bool DBGridDelegate::showsButton(const QModelIndex &index) const
{
    return index.isValid() && index == m_grid->currentIndex()
        && m_grid->effectiveButtonStyle(index.column()) != ColumnButtonStyle::None;
}

QRect DBGridDelegate::buttonRect(const QRect &cellRect) const
{
    const int width = qMin(cellRect.width() / 2, qMax(16, cellRect.height()));
    return QRect(cellRect.right() - width + 1, cellRect.top(), width, cellRect.height());
}

void DBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    const DBGridCell cell = describeCell(option, index);
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, cell.background);

    QRect area = option.rect;
    if (showsButton(index)) {
        const QRect button = buttonRect(option.rect);
        area.setRight(button.left() - 1);
        QStyleOptionButton opt;
        opt.initFrom(m_grid);
        opt.rect = button;
        QStyle *style = m_grid->style();
        if (m_grid->effectiveButtonStyle(index.column()) == ColumnButtonStyle::Ellipsis) {
            opt.text = QStringLiteral("...");
            style->drawControl(QStyle::CE_PushButton, &opt, painter, m_grid);
        } else {
            style->drawControl(QStyle::CE_PushButtonBevel, &opt, painter, m_grid);
            QStyleOption arrow = opt;
            arrow.rect = button.adjusted(3, 3, -3, -3);
            style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, m_grid);
        }
    }

    for (const DBGridCell::Picture &picture : cell.pictures) {
        QPixmap pixmap = picture.pixmap;
        if (picture.transparentColor.isValid())
            pixmap.setMask(pixmap.createMaskFromColor(picture.transparentColor));
        // Without a vertical offset the picture is centred in the cell's height.
        const int y = picture.offset.y() ? area.top() + picture.offset.y()
                                         : area.top() + qMax(0, (area.height() - pixmap.height()) / 2);
        painter->drawPixmap(QPoint(area.left() + picture.offset.x(), y), pixmap);
    }

    if (cell.drawText && !cell.text.isEmpty()) {
        QFont font = option.font;
        font.setBold(cell.bold);
        painter->setFont(font);
        painter->setPen(cell.foreground);
        const QRect textRect = area.adjusted(cell.margin, 0, -cell.margin, 0);
        const QString shown = QFontMetrics(font).elidedText(cell.text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, int(cell.alignment), shown);
    }

    if (cell.drawFocusRect) {
        QStyleOptionFocusRect focus;
        focus.initFrom(m_grid);
        focus.rect = option.rect.adjusted(0, 0, -1, -1);
        focus.backgroundColor = cell.background;
        m_grid->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_grid);
    }
    painter->restore();
}

QWidget *DBGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &index) const
{
    const DataSetModel *model = m_grid->dataSetModel();
    Field *field = model->fieldForColumn(index.column());
    const int gridColumn = field ? m_grid->columnIndex(field->fieldName()) : -1;
    const QStringList pickList = gridColumn >= 0 ? m_grid->column(gridColumn).pickList : QStringList();

    if (!pickList.isEmpty()
        && m_grid->column(gridColumn).buttonStyle == ColumnButtonStyle::Auto) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(pickList);
        combo->setFrame(false);
        connect(combo, &QComboBox::activated, this, [this, combo] { editorChanged(combo); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, combo] { editorChanged(combo); });
        m_grid->noteEditorCreated(combo);
        return combo;
    }

    auto *edit = new MaskEdit(parent);
    edit->setFrame(false);
    if (field) {
        if (!field->editMask().isEmpty())
            edit->setEditMask(field->editMask());
        else if ((field->dataType() == FieldType::String || field->dataType() == FieldType::FixedString)
                 && field->size() > 0)
            edit->setMaxLength(field->size());
        if (isNumeric(field))
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { editorChanged(edit); });
    m_grid->noteEditorCreated(edit);
    return edit;
}

void DBGridDelegate::editorChanged(QWidget *editor) const
{
    if (editor->property(kModifiedProperty).toBool())
        return;
    editor->setProperty(kModifiedProperty, true);
    if (!m_grid->beginEdit()) {
        // The dataset refused the edit: the typed text is dropped with the editor.
        editor->setProperty(kModifiedProperty, false);
        QMetaObject::invokeMethod(const_cast<DBGridDelegate *>(this), [this, editor] {
            emit const_cast<DBGridDelegate *>(this)->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        }, Qt::QueuedConnection);
    }
}

void DBGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setEditText(text);
    } else if (auto *edit = qobject_cast<MaskEdit *>(editor)) {
        // An editor opened by a typed character keeps what the user typed.
        if (!editor->property(kModifiedProperty).toBool())
            edit->setText(text);
    }
}

void DBGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (!editor->property(kModifiedProperty).toBool())
        return;
    QString text;
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        text = combo->currentText();
    else if (auto *edit = qobject_cast<MaskEdit *>(editor))
        text = edit->text();
    const bool written = EventGuard::run([model, index, text] { model->setData(index, text, Qt::EditRole); });
    if (written)
        editor->setProperty(kModifiedProperty, false);
    else
        m_grid->noteCommitFailed();
}

void DBGridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QRect rect = option.rect;
    // The ellipsis stays visible and clickable beside the editor.
    if (m_grid->effectiveButtonStyle(index.column()) == ColumnButtonStyle::Ellipsis)
        rect.setRight(buttonRect(option.rect).left() - 1);
    editor->setGeometry(rect);
}

bool DBGridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress
        && m_grid->handleEditorKey(editor, static_cast<QKeyEvent *>(event)))
        return true;
    return QStyledItemDelegate::eventFilter(object, event);
}
