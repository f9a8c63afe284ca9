#pragma once

#include <QPlainTextEdit>

class DataSource;
class FieldDataLink;

// A memo bound to a text field of the current record.  The first change the user makes
// puts the dataset in edit; every change is written into the field at once, so a post
// from anywhere sees it.  maxLength() limits what may be typed (0: no limit).
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DBMemo(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    void setDataField(const QString &fieldName);
    QString dataField() const;
    FieldDataLink *dataLink() const { return m_link; }

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);
    // The memo's own read-only switch; a read-only dataset or field also blocks typing.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void loadFromField();
    void writeToField();
    void updateReadOnly();

    FieldDataLink *m_link;
    int m_maxLength = 0;
    bool m_readOnly = false;
    bool m_loading = false;
};
