#pragma once

#include "DataPacket.h"
#include "DataSetError.h"
#include "Field.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

enum class DataSetState { Inactive, Browse, Edit, Insert };

enum class UpdateStatus { Unmodified, Modified, Inserted, Deleted };

// Options of locate: case-insensitive comparison of strings, and a partial key (the stored
// text starts with the key).
enum class LocateOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

enum class IndexOption { CaseInsensitive = 0x1, Descending = 0x2 };
Q_DECLARE_FLAGS(IndexOptions, IndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(IndexOptions)

// An in-memory dataset filled from data packets.  It keeps a change log (every insert,
// change and delete since the load or the last merge) that becomes a delta packet, the
// original values of every changed row, a current record with the states inactive /
// browse / edit / insert, and events around every operation.
//
// Events are plain callables so that forms can attach and detach their handlers
// (cdsX.beforePost = [this](ClientDataSet &) { cdsXBeforePost(); }).  An exception thrown
// by a before-event aborts the operation and leaves the dataset exactly as it was; it
// propagates to the caller unchanged.
//
// Records are numbered from 1 (recNo) in the order of the active index; rows() counts
// the visible (not deleted) records.
//
// Moving away from a record being edited or inserted posts it when a field was set, and
// cancels it otherwise (a new record holding only the defaults of onNewRecord vanishes).
// An edit that brings every field back to its original value leaves the change log: the
// record is unmodified again and is not part of the delta.  With an index active, the
// natural order (load order, with inserted records where they were inserted) comes back
// when the index is cleared.
class ClientDataSet : public QObject
{
    Q_OBJECT

public:
    using Event = std::function<void(ClientDataSet &)>;

    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    // --- structure -------------------------------------------------------------------
    QList<FieldDef> fieldDefs() const;
    void setFieldDefs(const QList<FieldDef> &defs);       // while inactive
    void addFieldDef(const QString &name, FieldType type, int size = 0, bool required = false);
    // A calculated field: not stored in packets, computed by onCalcFields for each record.
    Field *addCalculatedField(const QString &name, FieldType type, int size = 0);
    // Creates an empty, open dataset from the field definitions.
    void createDataSet();

    // --- data ------------------------------------------------------------------------
    // Replaces the rows (and, when the dataset has no field definitions yet or they
    // differ, the fields), clears the change log, opens, fires afterOpen and afterScroll.
    void setData(const DataPacket &packet);
    DataPacket data() const;        // the current rows as a plain packet (pending changes applied)
    // Copies structure and current rows of another dataset; the change log starts empty.
    void copyDataFrom(const ClientDataSet &other);
    void emptyDataSet();            // removes every row, change log cleared

    // --- change log ------------------------------------------------------------------
    int changeCount() const;        // number of rows in the delta
    bool logChanges() const;
    void setLogChanges(bool on);    // off: edits change the rows and their original values
    DataPacket delta() const;       // inserted, modified and deleted rows since load / merge
    void mergeChangeLog();          // the current values become the original values
    void cancelUpdates();           // back to the original values and rows
    UpdateStatus updateStatus() const; // of the current record

    // --- open / close / state ----------------------------------------------------------
    void open();                    // opens an existing structure (rows kept)
    void close();
    bool active() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool ro) { m_readOnly = ro; }

    // --- fields --------------------------------------------------------------------------
    int fieldCount() const;
    Field *field(int index) const;
    Field *fieldByName(const QString &name) const; // case-insensitive; DataSetError when absent
    Field *findField(const QString &name) const;   // nullptr when absent
    QList<Field *> fields() const;

    // --- navigation ----------------------------------------------------------------------
    void first();
    void last();
    void next();
    void prior();
    bool bof() const;
    bool eof() const;
    int recNo() const;              // 1-based; 0 when empty
    void setRecNo(int recNo);
    int recordCount() const;
    bool isEmpty() const;

    // --- editing -------------------------------------------------------------------------
    void edit();
    void insert();                  // a new record before the current one
    void append();                  // a new record at the end
    void post();
    void cancel();
    void deleteRecord();
    bool modified() const;          // the record being edited has changed fields

    // --- searching and ordering ----------------------------------------------------------
    // keyFields "CDPRODUTO;CDMARCA"; keyValues a single value or a QVariantList with one
    // value per field.  Moves to the first matching record in index order.
    bool locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options = {});
    // The result fields' values of the first matching record (a list for several
    // fields), without moving; null when none.
    QVariant lookup(const QString &keyFields, const QVariant &keyValues,
                    const QString &resultFields) const;
    QString indexFieldNames() const;
    void setIndexFieldNames(const QString &fields); // "" for the natural order
    void addIndex(const QString &name, const QString &fields, IndexOptions options = {});
    QString indexName() const;
    void setIndexName(const QString &name);         // case-insensitive; "" for none

    // --- controls ---------------------------------------------------------------------
    // While disabled, views are not told of each change; enabling tells them to refresh.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // --- events ----------------------------------------------------------------------
    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event beforeInsert, afterInsert, beforeEdit, afterEdit;
    Event beforePost, afterPost, beforeCancel, afterCancel;
    Event beforeDelete, afterDelete, beforeScroll, afterScroll;
    Event onNewRecord;   // after a new record is set up, before afterInsert
    Event onCalcFields;  // computes the calculated fields of the current record

    // --- access for views (models) ----------------------------------------------------
    // The value of a field of a visible record by 0-based row in index order, without
    // moving the current record.  Calculated fields included.
    QVariant valueAt(int row, int fieldIndex) const;
    int currentRow() const;         // 0-based, -1 when empty
    UpdateStatus updateStatusAt(int row) const;
    // The value at load or last merge (null for an inserted row).
    QVariant oldValueAt(int row, int fieldIndex) const;
    // displayText() / text() of a field as it would read on that row (onGetText included).
    QString displayTextAt(int row, int fieldIndex) const;
    QString textAt(int row, int fieldIndex) const;

signals:
    void stateChanged(DataSetState state);
    // Whole contents changed (load, close, open, index change, enableControls).
    void dataReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentRowChanged(int row);
    // A field of the current record changed while editing.
    void fieldChanged(Field *field);
    // A post is about to run: views write what their open editors hold into the record
    // first, so text typed into a cell is never lost when a command posts.
    void updateRecord();
    // Values or update status of any row may have changed, the rows themselves did not
    // (merge of the change log).
    void valuesChanged();

private:
    struct Private;
    friend class Field;
    // Field access to the current record (or the row a view or onCalcFields reads).
    QVariant fieldValue(const Field *field) const;
    QVariant fieldOldValue(const Field *field) const;
    void setFieldValue(Field *field, const QVariant &value);
    void fieldLayoutChanged();
    void setState(DataSetState state);
    void checkActive() const;
    void checkBrowseMode();
    void scrollTo(int row);
    void beginNewRecord(bool atEnd);
    std::unique_ptr<Private> d;
    DataSetState m_state = DataSetState::Inactive;
    bool m_readOnly = false;
    int m_tag = 0;
};
