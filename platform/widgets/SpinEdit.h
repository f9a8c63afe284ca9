#pragma once

#include <QAbstractSpinBox>

// A whole-number spin edit that may stay empty (the week spins of the filter, which are
// cleared while a date is being typed).  Values show with at least digits() digits
// ("05" with two); a typed value beyond the range is brought into it when the edit is
// left.  The minus sign is refused while the minimum is not negative.
class SpinEdit : public QAbstractSpinBox
{
    Q_OBJECT

public:
    explicit SpinEdit(QWidget *parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    int digits() const { return m_digits; }
    void setDigits(int digits);

    bool isEmpty() const;
    // The value typed (0 when empty), kept within the range.
    int value() const;
    void setValue(int value);
    void clear() override;

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void stepBy(int steps) override;

signals:
    // Every change of the text (the system's OnChange).
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString textFor(int value) const;

    int m_minimum = 0;
    int m_maximum = 99;
    int m_digits = 0;
};
