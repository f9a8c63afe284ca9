#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

// The button a grid column shows in its selected cell: a drop-down of the pick list when
// it has one (Auto), an ellipsis that raises the grid's edit-button event, or none.
enum class ColumnButtonStyle { Auto, Ellipsis, None };

// A column of a data-aware grid, bound to a field by name.
struct DBGridColumn
{
    QString fieldName;
    QString title;             // empty: the field's display label
    int width = 0;             // pixels; 0: from the field's display width and the title
    bool readOnly = false;     // the user may not type into it
    bool visible = true;
    ColumnButtonStyle buttonStyle = ColumnButtonStyle::Auto;
    QStringList pickList;      // choices of a drop-down editor
    Qt::Alignment alignment;   // empty: numbers right, everything else left

    DBGridColumn() = default;
    DBGridColumn(const QString &field, const QString &caption = {}, int pixels = 0)
        : fieldName(field), title(caption), width(pixels) {}
};
