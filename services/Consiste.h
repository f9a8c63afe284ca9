#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>
#include <stdexcept>

class DataPacket;

// A failed check: the text has already been shown to the user by MensErro.  It ends the
// running operation and is caught at the event boundary (Consiste::runGuarded), which
// shows nothing more.
class ConsisteError : public std::runtime_error
{
public:
    explicit ConsisteError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

// The silent abort: ends the running operation without a message (a "No" answer, a refused
// password, an insert into a read-only list).
class Abort : public std::exception
{
public:
    const char *what() const noexcept override { return "operation aborted"; }
};

// The general routines the forms call under their system names.
namespace Consiste {

// --- failures and the event boundary -------------------------------------------------

// Shows text as an error through the user interface; with raise set, then throws
// ConsisteError, which ends the whole operation.
void MensErro(const QString &text, bool raise = true);
// Throws the silent abort.
[[noreturn]] void SilentAbort();

// Runs an event handler so that nothing escapes into Qt: Abort ends silently,
// ConsisteError was shown already, NetError / DataSetError / any other std::exception is
// shown as an error (a failed connection with the note that nothing typed was
// discarded).  Returns false when the handler ended by an exception.
bool runGuarded(const std::function<void()> &handler);
// The same as a callable to connect to a signal:
//   connect(sbtConfirmar, &QToolButton::clicked, this, Consiste::guarded([this] { sbtConfirmarClick(); }));
template <typename F>
auto guarded(F handler)
{
    return [handler = std::move(handler)](auto &&...) { runGuarded(handler); };
}

// --- strings and codes -----------------------------------------------------------------

bool EmptyString(const QString &text); // true when empty or only blanks
QString Replicate(QChar c, int count);

// Gives a typed code its stored width n.  The code is trimmed; an empty code stays empty;
// an all-digit code is left-padded with zeros ("7" -> "007" at 3); any other code is
// right-padded with spaces ("AB" -> "AB   " at 5); a code longer than n is kept as it is.
QString Ajusta(const QString &code, int n);

// --- registrations -----------------------------------------------------------------------

// The registration mask of a person type, as an edit mask "picture;save literals;blank":
//   J legal entity (CNPJ)     "99.999.999/9999-99;0; "
//   F natural person (CPF)    "999.999.999-99;0; "
//   I other registration      "99999999999999999999;0; " (up to 20 digits, no punctuation)
//   O others, and any unknown type: "" (free text, no mask)
// Literals are not saved: stored registration numbers hold the digits only.
QString PictPess(const QString &personType);
// Normalises a typed registration number in place and returns its person type: the mask
// punctuation (. / - and blanks) is removed; 14 digits are "J", 11 digits "F", any other
// digit string "I"; a number with letters or other characters is "O" and is only trimmed.
QString Ajusta_Inscricao(QString &number);
// Formats a stored registration number for display through the mask of its person type.
QString FormataInscricao(const QString &number, const QString &personType);
// Formats a value through an edit mask of the form above: each mask position '9', '0',
// 'A', 'L', 'C', '#' takes the next character of the value; other mask characters are
// literals, written when the value still has characters to place.  '\' quotes the next
// mask character.  Characters the mask has no room for are appended.
QString FormatMaskText(const QString &editMask, const QString &value);

// --- numbers ------------------------------------------------------------------------------

// Reads a number shown with a pt-BR display mask ("1.234,56", "12,50 %", "R$ -3,5"):
// thousands dots, blanks, currency and percent signs are dropped and the comma is the
// decimal separator.  Text without a digit gives 0.
double FloatMaskOut(const QString &text);
// Keeps a number being typed within intDigits digits before the decimal comma and
// decDigits after it.  Given the edit's text, the typed key and the selection the key
// replaces, returns the key to accept (a '.' becomes ',') or a null QChar to discard it.
// Control keys (backspace) always pass; a minus sign only as the first character.
QChar MaxNumber(const QString &text, int intDigits, int decDigits, QChar key, int selStart,
                int selLength);

// --- weeks and dates ------------------------------------------------------------------------
//
// Weeks follow ISO 8601 everywhere: a week runs Monday to Sunday, week 1 of a year is the
// week that holds its first Thursday (so January 4), and a year has 52 weeks, or 53 when
// it starts on a Thursday (or on a Wednesday in a leap year).  A date in the last days of
// December can belong to week 1 of the next year, and one in the first days of January to
// the last week of the year before.

// Week number (1..53) of a date; 0 for an invalid date.  It answers 53 only for a date of
// a year that has a week 53.
int NumeroSemana(const QDate &date);
// The year the week of NumeroSemana belongs to.
int AnoSemana(const QDate &date);
// Number of weeks of a year (52 or 53).
int SemanasAno(int year);
// Weekday name of a date in Portuguese ("Segunda-feira"); empty for an invalid date.
QString NomeSemana(const QDate &date);
// First ('I', Monday) or last ('F', Sunday) day of a week of a year.  A week beyond the
// last week of the year (53 in a year of 52 weeks) gives the last week; below 1 gives
// week 1.
QDate DataSemana(int week, QChar kind, int year);
// Last day of the month of a date.
QDate UltDiaMes(const QDate &date);

// --- server results ------------------------------------------------------------------------

// Checks the result of a server call.
//   * a data packet: written to out (when given); true.
//   * an array: element `index` is written to out when it is a packet; true.  The caller
//     reads the other elements itself.
//   * a text whose first character is "2": a refusal.  With raise, the silent abort.
//   * a text whose first character is "3": an error whose message follows the code.  With
//     raise, shown through MensErro (which ends the operation).
//   * any other text: true; its code is the caller's to read.
//   * null, or a text where a packet is expected (out given), or an array without a
//     packet at `index`: with raise, the standard message "RespVazia" through MensErro.
// Without raise nothing is shown and the answer is false for the failures above.
bool CheckResultServ(const QVariant &result, bool raise, int index = 0, DataPacket *out = nullptr);

} // namespace Consiste
