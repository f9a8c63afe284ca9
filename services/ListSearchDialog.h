#pragma once

#include <QDialog>
#include <QStringList>

class DataSource;
class QStandardItemModel;
class QTableView;

// The multiple-choice search: the rows of a source with a mark column ("Marcar").  Space
// marks or unmarks the current row, a click on the box does the same, Enter confirms.
class ListSearchDialog : public QDialog
{
    Q_OBJECT

public:
    ListSearchDialog(DataSource *source, const QString &keyField, const QString &title,
                     const QStringList &marked, QWidget *parent = nullptr);

    // The keys of the marked rows, in row order.
    QStringList markedKeys() const;
    void setAllMarked(bool marked);
    QTableView *view() const { return m_view; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggleRow(int row);

    QStandardItemModel *m_model;
    QTableView *m_view;
    QStringList m_keys; // per row
};
