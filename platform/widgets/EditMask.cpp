#include "EditMask.h"

namespace {

// Characters with a meaning in QLineEdit::inputMask, which must be quoted as literals.
bool isInputMaskMeta(QChar c)
{
    static const QString metas = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    return metas.contains(c);
}

// Position of the first ';' that is not quoted by '\'; -1 when none.
int sectionEnd(const QString &mask, int from)
{
    for (int i = from; i < mask.size(); ++i) {
        if (mask.at(i) == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (mask.at(i) == QLatin1Char(';'))
            return i;
    }
    return -1;
}

} // namespace

EditMask::EditMask(const QString &mask)
    : m_mask(mask)
{
    const int pictureEnd = sectionEnd(mask, 0);
    const QString picture = pictureEnd < 0 ? mask : mask.left(pictureEnd);
    if (pictureEnd >= 0) {
        const QString rest = mask.mid(pictureEnd + 1);
        if (!rest.isEmpty())
            m_saveLiterals = rest.at(0) != QLatin1Char('0');
        const int blankSep = rest.indexOf(QLatin1Char(';'));
        if (blankSep >= 0 && blankSep + 1 < rest.size())
            m_blank = rest.at(blankSep + 1);
    }

    CaseConversion conversion = CaseConversion::None;
    for (int i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        Slot slot;
        switch (c.unicode()) {
        case '\\':
            if (i + 1 < picture.size())
                slot.literal = picture.at(++i);
            else
                continue;
            break;
        case '>':
            if (i + 1 < picture.size() && picture.at(i + 1) == QLatin1Char('<')) {
                conversion = CaseConversion::None;
                ++i;
            } else {
                conversion = CaseConversion::Upper;
            }
            continue;
        case '<':
            if (i + 1 < picture.size() && picture.at(i + 1) == QLatin1Char('>')) {
                conversion = CaseConversion::None;
                ++i;
            } else {
                conversion = CaseConversion::Lower;
            }
            continue;
        case '!':
            continue;
        case '0': slot.kind = SlotKind::Digit; slot.required = true; break;
        case '9': slot.kind = SlotKind::Digit; break;
        case '#': slot.kind = SlotKind::DigitOrSign; break;
        case 'L': slot.kind = SlotKind::Letter; slot.required = true; break;
        case 'l': slot.kind = SlotKind::Letter; break;
        case 'A': slot.kind = SlotKind::AlphaNumeric; slot.required = true; break;
        case 'a': slot.kind = SlotKind::AlphaNumeric; break;
        case 'C': slot.kind = SlotKind::Any; slot.required = true; break;
        case 'c': slot.kind = SlotKind::Any; break;
        default:
            slot.literal = c;
            break;
        }
        slot.caseConversion = conversion;
        m_slots.append(slot);
    }
}

QString EditMask::toInputMask() const
{
    if (m_slots.isEmpty())
        return {};
    QString out;
    CaseConversion conversion = CaseConversion::None;
    for (const Slot &slot : m_slots) {
        if (slot.caseConversion != conversion) {
            conversion = slot.caseConversion;
            out += conversion == CaseConversion::Upper ? QLatin1Char('>')
                 : conversion == CaseConversion::Lower ? QLatin1Char('<')
                                                       : QLatin1Char('!');
        }
        switch (slot.kind) {
        case SlotKind::Literal:
            if (isInputMaskMeta(slot.literal))
                out += QLatin1Char('\\');
            out += slot.literal;
            break;
        case SlotKind::Digit:        out += slot.required ? QLatin1Char('9') : QLatin1Char('0'); break;
        case SlotKind::DigitOrSign:  out += QLatin1Char('#'); break;
        case SlotKind::Letter:       out += slot.required ? QLatin1Char('A') : QLatin1Char('a'); break;
        case SlotKind::AlphaNumeric: out += slot.required ? QLatin1Char('N') : QLatin1Char('n'); break;
        case SlotKind::Any:          out += slot.required ? QLatin1Char('X') : QLatin1Char('x'); break;
        }
    }
    // A ';' blank would end the input mask early; such masks keep Qt's default blank.
    if (m_blank != QLatin1Char(';'))
        out += QLatin1Char(';') + m_blank;
    return out;
}

bool EditMask::accepts(const Slot &slot, QChar c)
{
    switch (slot.kind) {
    case SlotKind::Literal:      return c == slot.literal;
    case SlotKind::Digit:        return c.isDigit();
    case SlotKind::DigitOrSign:  return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
    case SlotKind::Letter:       return c.isLetter();
    case SlotKind::AlphaNumeric: return c.isLetterOrNumber();
    case SlotKind::Any:          return c.isPrint();
    }
    return false;
}

QString EditMask::format(const QString &value) const
{
    if (m_slots.isEmpty())
        return value;
    QString out;
    out.reserve(m_slots.size());
    int next = 0;
    for (const Slot &slot : m_slots) {
        if (slot.kind == SlotKind::Literal) {
            out += slot.literal;
            if (next < value.size() && value.at(next) == slot.literal)
                ++next;
            continue;
        }
        // A blank (or a space standing for it) keeps the position empty.
        if (next < value.size() && (value.at(next) == m_blank || value.at(next) == QLatin1Char(' '))) {
            out += m_blank;
            ++next;
            continue;
        }
        if (next < value.size() && accepts(slot, value.at(next))) {
            QChar c = value.at(next++);
            if (slot.caseConversion == CaseConversion::Upper)
                c = c.toUpper();
            else if (slot.caseConversion == CaseConversion::Lower)
                c = c.toLower();
            out += c;
        } else {
            out += m_blank;
        }
    }
    return out;
}

QString EditMask::value(const QString &maskedText) const
{
    if (m_slots.isEmpty())
        return maskedText;
    QString out;
    bool anyFilled = false;
    for (int i = 0; i < m_slots.size(); ++i) {
        const Slot &slot = m_slots.at(i);
        const QChar c = i < maskedText.size() ? maskedText.at(i) : m_blank;
        if (slot.kind == SlotKind::Literal) {
            if (m_saveLiterals)
                out += slot.literal;
            continue;
        }
        if (c == m_blank || c == QLatin1Char(' ')) {
            if (m_saveLiterals)
                out += QLatin1Char(' ');
            continue;
        }
        anyFilled = true;
        out += c;
    }
    if (!anyFilled)
        return {};
    return m_saveLiterals ? out.trimmed() : out;
}

bool EditMask::isComplete(const QString &maskedText) const
{
    for (int i = 0; i < m_slots.size(); ++i) {
        const Slot &slot = m_slots.at(i);
        if (slot.kind == SlotKind::Literal || !slot.required)
            continue;
        const QChar c = i < maskedText.size() ? maskedText.at(i) : m_blank;
        if (c == m_blank || !accepts(slot, c))
            return false;
    }
    return true;
}
