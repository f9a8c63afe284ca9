#pragma once

#include <QChar>
#include <QList>
#include <QString>

// An edit mask as the system writes it: "picture;save literals;blank".
//
//   "999;0; "                    three optional digits, literals not saved, blank shown as ' '
//   "99.999.999/9999-99;0;_"     a registration number, stored as its 14 digits
//   "9.99.999.9999"              the product-tree picture, stored with its dots
//
// Picture characters: '0' digit required, '9' digit optional, '#' digit or sign, 'L' / 'l'
// letter required / optional, 'A' / 'a' letter or digit, 'C' / 'c' any character, '>'
// upper case from here, '<' lower case, "<>" no conversion, '!' (kept for compatibility,
// no effect), '\' quotes the next character; every other character is a literal.  Without
// the second section literals are saved; without the third the blank is '_'.
class EditMask
{
public:
    enum class SlotKind { Literal, Digit, DigitOrSign, Letter, AlphaNumeric, Any };
    enum class CaseConversion { None, Upper, Lower };

    struct Slot
    {
        SlotKind kind = SlotKind::Literal;
        bool required = false;
        QChar literal;
        CaseConversion caseConversion = CaseConversion::None;
    };

    EditMask() = default;
    explicit EditMask(const QString &mask);

    bool isEmpty() const { return m_slots.isEmpty(); }
    const QString &mask() const { return m_mask; }
    bool saveLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }
    const QList<Slot> &positions() const { return m_slots; }
    int length() const { return int(m_slots.size()); }

    // The same mask in QLineEdit::inputMask syntax.
    QString toInputMask() const;

    // Places a value into the picture: literals are written, editable positions take
    // the value's characters in order (a value that carries the literals itself is read
    // past them), missing characters show the blank.
    QString format(const QString &value) const;
    // The value of a masked text (one character per position, as format() gives it):
    // without literals when the mask does not save them; empty when no editable
    // position is filled.
    QString value(const QString &maskedText) const;
    // True when every required position of a masked text is filled.
    bool isComplete(const QString &maskedText) const;
    // Whether a character fits an editable slot.
    static bool accepts(const Slot &slot, QChar c);

private:
    QString m_mask;
    QList<Slot> m_slots;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
};
