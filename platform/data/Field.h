#pragma once

#include "DataPacket.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>

class ClientDataSet;

enum class FieldKind { Data, Calculated };

// One field of a client dataset.  Reads and writes go to the dataset's current record;
// writing requires the dataset to be in edit or insert state (else DataSetError).
class Field
{
public:
    Field(ClientDataSet *dataSet, const FieldDef &def, FieldKind kind, int index);

    ClientDataSet *dataSet() const { return m_dataSet; }
    const QString &fieldName() const { return m_def.name; }
    FieldType dataType() const { return m_def.type; }
    int size() const { return m_def.size; }
    bool required() const { return m_def.required; }
    // A required flag set here survives reloads; otherwise each packet's definition decides.
    void setRequired(bool required) { m_def.required = required; m_requiredSet = true; }
    FieldKind fieldKind() const { return m_kind; }
    int index() const { return m_index; } // position in the dataset's field list
    const FieldDef &def() const { return m_def; }

    // Value of the current record; a null QVariant when the field is null.
    QVariant value() const;
    void setValue(const QVariant &value); // converts to the field's type; fires onChange
    // The value the current record had when its packet was loaded or its change log last
    // merged (null for an inserted record).
    QVariant oldValue() const;
    bool isNull() const;
    void clear() { setValue(QVariant()); }

    QString asString() const;      // null -> ""
    double asFloat() const;        // null -> 0
    qlonglong asInteger() const;   // null -> 0
    QDateTime asDateTime() const;  // null -> invalid
    QDate asDate() const;
    bool asBoolean() const;        // strings "S"/"T"/"True"/"1" count as true
    void setAsString(const QString &v);
    void setAsFloat(double v);
    void setAsInteger(qlonglong v);
    void setAsDateTime(const QDateTime &v);
    void setAsBoolean(bool v);

    // Presentation
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString displayLabel() const { return m_displayLabel.isEmpty() ? m_def.name : m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    int displayWidth() const { return m_displayWidth; }
    void setDisplayWidth(int chars) { m_displayWidth = chars; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    QString displayFormat() const { return m_displayFormat; } // e.g. "#,##0.00000"
    void setDisplayFormat(const QString &f) { m_displayFormat = f; }
    QString editFormat() const { return m_editFormat; }
    void setEditFormat(const QString &f) { m_editFormat = f; }
    QString editMask() const { return m_editMask; } // e.g. "999;0; "
    void setEditMask(const QString &m) { m_editMask = m; }

    // Text as shown in a grid (displayText) and as edited (text).  onGetText, when set,
    // decides both; otherwise the display / edit formats apply (pt-BR numbers and dates).
    QString displayText() const;
    QString text() const;
    // Sets the value from edited text: through onSetText when set, else parsed by type
    // (a masked number is read back).  An unreadable text raises DataSetError.
    void setText(const QString &text);

    std::function<QString(const Field &field, bool displayText)> onGetText;
    std::function<void(Field &field, const QString &text)> onSetText;
    std::function<void(Field &field)> onChange;

    // Text for a value of this field without running onGetText: the display or edit
    // format applied to `value` (used by displayText / text and by views).
    QString formatValue(const QVariant &value, bool displayText) const;
    // The value `text` stands for, read by the field's type (no onSetText); DataSetError
    // when the text is not readable.
    QVariant parseText(const QString &text) const;
    // `value` converted to the field's type; DataSetError when it does not convert.
    QVariant convert(const QVariant &value) const;

private:
    friend class ClientDataSet;
    ClientDataSet *m_dataSet;
    FieldDef m_def;
    FieldKind m_kind;
    int m_index;
    int m_tag = 0;
    int m_displayWidth = 0;
    bool m_visible = true;
    bool m_readOnly = false;
    QString m_displayLabel;
    QString m_displayFormat;
    QString m_editFormat;
    QString m_editMask;
    int m_slot = -1;           // position in the record values (data) or calculated values
    bool m_requiredSet = false;
};
