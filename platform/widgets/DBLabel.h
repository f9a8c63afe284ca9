#pragma once

#include <QLabel>

class DataSource;
class FieldDataLink;

// A label showing the display text of a field of the current record.
class DBLabel : public QLabel
{
    Q_OBJECT

public:
    explicit DBLabel(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    void setDataField(const QString &fieldName);
    QString dataField() const;

private:
    void loadFromField();

    FieldDataLink *m_link;
};
