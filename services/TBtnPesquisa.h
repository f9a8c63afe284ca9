#pragma once

#include "DataSource.h"

#include <QPointer>
#include <QString>
#include <QToolButton>

#include <functional>

// A search button: a click runs BeforePesq (which may prepare or reopen the source, or
// abort), the single-choice search over its data source, and, when a row was chosen,
// AfterPesq with that row current.  Failures in the handlers end at the button (shown
// as usual); nothing escapes into Qt.
class TBtnPesquisa : public QToolButton
{
    Q_OBJECT

public:
    using Handler = std::function<void(TBtnPesquisa &)>;

    explicit TBtnPesquisa(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source) { m_source = source; }
    // The field whose value is the key of the chosen row (the first field when empty).
    QString keyField() const { return m_keyField; }
    void setKeyField(const QString &field) { m_keyField = field; }
    // The search's title; after a '|', the text shown when the source has no rows.
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    // The key chosen by the last search (empty when nothing was chosen).
    QString key() const { return m_key; }

    // Runs the search as a click does; true when a row was chosen.
    bool pesquisar();

    Handler BeforePesq;
    Handler AfterPesq;

private:
    QPointer<DataSource> m_source;
    QString m_keyField;
    QString m_title;
    QString m_key;
};
