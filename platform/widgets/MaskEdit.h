#pragma once

#include "EditMask.h"

#include <QLineEdit>

class DataSource;
class FieldDataLink;

// A line edit that understands the system's edit masks ("999;0; ",
// "99.999.999/9999-99;0;_", "9.99.999.9999").  text() gives the value as the mask saves
// it (without literals when the mask says 0, empty when nothing was typed); maskedText()
// gives what the user sees.  Without a mask it is a plain line edit.
//
// Bound to a field (setDataField) it shows the field of the current record and writes
// every change the user makes into it, putting the dataset in edit first.
class MaskEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit MaskEdit(QWidget *parent = nullptr);

    const EditMask &mask() const { return m_mask; }
    QString editMask() const { return m_mask.mask(); }
    void setEditMask(const QString &mask);

    // These hide QLineEdit's: they speak in mask values.
    QString text() const;
    void setText(const QString &value);
    QString maskedText() const;
    bool isEmpty() const { return text().isEmpty(); }
    // Every required position of the mask is filled.
    bool isComplete() const;

    void setDataField(DataSource *source, const QString &fieldName);
    FieldDataLink *dataLink() const { return m_link; }

signals:
    // The value changed, by the user or by the program (the system's OnChange).
    void changed();

private:
    void loadFromField();
    void writeToField();

    EditMask m_mask;
    FieldDataLink *m_link = nullptr;
    bool m_loading = false;
};
