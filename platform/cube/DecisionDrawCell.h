#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// What a decision grid paints in one cell, handed to the form's drawing hook before it
// is painted.  Coordinates: data cells from (0, 0); the row header column is -1 (-2 ...
// for outer row dimensions); the column header rows are -1 (innermost column dimension),
// -2 (the one outside it) ...; the caption of the column dimensions sits at the left of
// the column header rows.
struct DecisionDrawCell
{
    enum class Kind { Data, RowHeader, ColumnHeader, Caption };

    int column = 0;
    int row = 0;
    Kind kind = Kind::Data;
    bool selected = false;
    QString text;
    QColor background;
    QColor foreground;
    QFont font;
    // A cell the form wants to stand out (drawn bold with a dark frame, recognisable
    // without telling colours apart).
    bool emphasis = false;
};
