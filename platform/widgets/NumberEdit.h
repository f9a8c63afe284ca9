#pragma once

#include <QLineEdit>

// A decimal number in the pt-BR way ("1.234,50"), which may stay empty.  While the user
// types, the number shows without thousands separators; leaving the edit (or setValue)
// shows it with them and with exactly decimals() decimals.  The keypad's decimal key
// types the comma.
class NumberEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberEdit(QWidget *parent = nullptr);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    bool thousandsSeparator() const { return m_thousands; }
    void setThousandsSeparator(bool on);
    bool allowNegative() const { return m_allowNegative; }
    void setAllowNegative(bool on);

    bool isEmpty() const;
    // The number shown or typed; 0 when empty.
    double value() const;
    void setValue(double value);
    void clear();
    // The display mask in use, e.g. "#,##0.00000".
    QString displayMask() const;

signals:
    // Every change of the text (the system's OnChange).
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString editingMask() const; // "0.00": no thousands separators while typing
    void updateValidator();
    void reformat(bool forEditing);

    int m_decimals = 2;
    bool m_thousands = true;
    bool m_allowNegative = true;
};
