#pragma once

#include <QDialog>

class DataSetModel;
class DataSource;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

// The single-choice search: the rows of a source in a table, narrowed by the text typed
// in the filter line (any column contains it, case-insensitive).  Enter or a double
// click chooses the current row.
class SearchDialog : public QDialog
{
    Q_OBJECT

public:
    SearchDialog(DataSource *source, const QString &title, QWidget *parent = nullptr);

    // The row of the source chosen (0-based), -1 when none.
    int chosenRow() const;

    QLineEdit *filterEdit() const { return m_filter; }
    QTableView *view() const { return m_view; }

private:
    DataSetModel *m_model;
    QSortFilterProxyModel *m_proxy;
    QLineEdit *m_filter;
    QTableView *m_view;
};
