#include "Consiste.h"

#include "DataPacket.h"
#include "DataSetError.h"
#include "NetError.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QLocale>

#include <algorithm>

namespace Consiste {

// --- failures and the event boundary -------------------------------------------------

void MensErro(const QString &text, bool raise)
{
    ui()->showError(text);
    if (raise)
        throw ConsisteError(text);
}

void SilentAbort()
{
    throw Abort();
}

bool runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const Abort &) {
    } catch (const ConsisteError &) {
    } catch (const NetError &e) {
        // The connection failed, not a rule: say so, and that nothing was discarded.
        ui()->showError(e.connectionFailed()
                            ? e.message() + QStringLiteral("\n\n") + TMessages::padrao().Msg(QStringLiteral("Net_AlteracoesMantidas"))
                            : e.message());
    } catch (const DataSetError &e) {
        ui()->showError(e.message());
    } catch (const std::exception &e) {
        ui()->showError(QString::fromUtf8(e.what()));
    }
    return false;
}

// --- strings and codes -----------------------------------------------------------------

bool EmptyString(const QString &text)
{
    return text.trimmed().isEmpty();
}

QString Replicate(QChar c, int count)
{
    return count > 0 ? QString(count, c) : QString();
}

static bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString Ajusta(const QString &code, int n)
{
    const QString t = code.trimmed();
    if (t.isEmpty() || t.size() >= n)
        return t;
    return allDigits(t) ? t.rightJustified(n, u'0') : t.leftJustified(n, u' ');
}

// --- registrations -----------------------------------------------------------------------

QString PictPess(const QString &personType)
{
    const QString t = personType.trimmed().toUpper();
    if (t == u"J")
        return QStringLiteral("99.999.999/9999-99;0; ");
    if (t == u"F")
        return QStringLiteral("999.999.999-99;0; ");
    if (t == u"I")
        return QStringLiteral("99999999999999999999;0; ");
    return {};
}

QString Ajusta_Inscricao(QString &number)
{
    QString digits;
    bool onlyPunctuation = true;
    for (QChar c : number) {
        if (c.isDigit())
            digits += c;
        else if (c != u'.' && c != u'/' && c != u'-' && !c.isSpace())
            onlyPunctuation = false;
    }
    if (!onlyPunctuation || digits.isEmpty()) {
        number = number.trimmed();
        return QStringLiteral("O");
    }
    number = digits;
    if (digits.size() == 14)
        return QStringLiteral("J");
    if (digits.size() == 11)
        return QStringLiteral("F");
    return QStringLiteral("I");
}

static bool isMaskPlaceholder(QChar c)
{
    return c == u'9' || c == u'0' || c == u'A' || c == u'a' || c == u'L' || c == u'l'
        || c == u'C' || c == u'c' || c == u'#';
}

QString FormatMaskText(const QString &editMask, const QString &value)
{
    const QString picture = editMask.section(u';', 0, 0);
    if (picture.isEmpty())
        return value;
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < picture.size() && next < value.size(); ++i) {
        QChar m = picture.at(i);
        if (m == u'\\' && i + 1 < picture.size()) {
            out += picture.at(++i);
            continue;
        }
        if (m == u'>' || m == u'<' || m == u'!')
            continue;
        if (isMaskPlaceholder(m))
            out += value.at(next++);
        else
            out += m;
    }
    out += value.mid(next);
    return out;
}

QString FormataInscricao(const QString &number, const QString &personType)
{
    const QString mask = PictPess(personType);
    if (mask.isEmpty())
        return number;
    QString digits = number;
    if (Ajusta_Inscricao(digits) == u"O")
        return number;
    return FormatMaskText(mask, digits);
}

// --- numbers ------------------------------------------------------------------------------

double FloatMaskOut(const QString &text)
{
    QString plain;
    bool negative = false;
    for (QChar c : text) {
        if (c.isDigit())
            plain += c;
        else if (c == u',')
            plain += u'.';
        else if (c == u'-' && plain.isEmpty())
            negative = true;
        // thousands dots, blanks, currency and percent signs are dropped
    }
    if (plain.isEmpty())
        return 0.0;
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok)
        return 0.0;
    return negative ? -v : v;
}

QChar MaxNumber(const QString &text, int intDigits, int decDigits, QChar key, int selStart,
                int selLength)
{
    if (key.isNull() || key.unicode() < 0x20)
        return key; // backspace and other control keys
    if (key == u'.')
        key = u',';
    const bool isDigit = key >= u'0' && key <= u'9';
    if (!isDigit && key != u',' && key != u'-')
        return {};

    const int start = std::clamp(selStart, 0, int(text.size()));
    const int length = std::clamp(selLength, 0, int(text.size()) - start);
    const QString result = text.left(start) + key + text.mid(start + length);

    if (key == u'-')
        return (start == 0 && result.count(u'-') == 1) ? key : QChar();
    if (key == u',' && (decDigits <= 0 || result.count(u',') > 1))
        return {};

    const qsizetype comma = result.indexOf(u',');
    const QString intPart = comma < 0 ? result : result.left(comma);
    const QString decPart = comma < 0 ? QString() : result.mid(comma + 1);
    auto digitsIn = [](const QString &s) {
        int n = 0;
        for (QChar c : s)
            n += c.isDigit() ? 1 : 0;
        return n;
    };
    if (digitsIn(intPart) > intDigits || digitsIn(decPart) > decDigits)
        return {};
    return key;
}

// --- weeks and dates ------------------------------------------------------------------------

int NumeroSemana(const QDate &date)
{
    return date.isValid() ? date.weekNumber() : 0;
}

int AnoSemana(const QDate &date)
{
    int year = 0;
    if (date.isValid())
        date.weekNumber(&year);
    return year;
}

int SemanasAno(int year)
{
    // December 28 always lies in the last week of its year.
    return QDate(year, 12, 28).weekNumber();
}

QString NomeSemana(const QDate &date)
{
    if (!date.isValid())
        return {};
    QString name = QLocale(QLocale::Portuguese, QLocale::Brazil).dayName(date.dayOfWeek(), QLocale::LongFormat);
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    return name;
}

QDate DataSemana(int week, QChar kind, int year)
{
    const QDate jan4(year, 1, 4);
    if (!jan4.isValid())
        return {};
    const int w = std::clamp(week, 1, SemanasAno(year));
    const QDate mondayOfWeek1 = jan4.addDays(1 - jan4.dayOfWeek());
    const QDate monday = mondayOfWeek1.addDays(7 * (w - 1));
    return kind.toUpper() == u'F' ? monday.addDays(6) : monday;
}

QDate UltDiaMes(const QDate &date)
{
    if (!date.isValid())
        return {};
    return QDate(date.year(), date.month(), date.daysInMonth());
}

// --- server results ------------------------------------------------------------------------

bool CheckResultServ(const QVariant &result, bool raise, int index, DataPacket *out)
{
    auto emptyReply = [&]() {
        if (raise)
            MensErro(TMessages::padrao().Msg(QStringLiteral("RespVazia")), true);
        return false;
    };

    if (isPacket(result)) {
        if (out)
            *out = result.value<DataPacket>();
        return true;
    }
    if (result.metaType() == QMetaType::fromType<QVariantList>()) {
        const QVariantList list = result.toList();
        if (out) {
            if (index < 0 || index >= list.size() || !isPacket(list.at(index)))
                return emptyReply();
            *out = list.at(index).value<DataPacket>();
        }
        return true;
    }
    if (!result.isValid() || result.isNull())
        return emptyReply();

    const QString status = result.toString();
    if (status.isEmpty())
        return out ? emptyReply() : true;
    if (status.at(0) == u'2') {
        if (raise)
            SilentAbort();
        return false;
    }
    if (status.at(0) == u'3') {
        if (raise)
            MensErro(status.mid(1), true);
        return false;
    }
    if (out)
        return emptyReply();
    return true;
}

} // namespace Consiste
