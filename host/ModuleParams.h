#pragma once

#include <QString>
#include <QVariantList>

// The check of the parameter array a module of the host is opened with.  A module states
// what each element must be; the first element that is not fails the check with a text
// for the user, and nothing of the module opens.
//
//   ModuleParams p(QStringLiteral("SUP01802"), params, 8);
//   p.filledText(0); p.text(2); p.exactly(7, QStringLiteral(" "));
//   p.raiseIfInvalid();   // ModuleError with the first failure
class ModuleParams
{
public:
    ModuleParams(QString module, QVariantList params, int count);

    void text(int index);            // a string (maybe empty)
    void filledText(int index);      // a string with something other than blanks
    void isTrue(int index);          // the boolean true
    void exactly(int index, const QString &value); // this very string

    QString value(int index) const { return m_params.value(index).toString(); }
    bool valid() const { return m_error.isEmpty(); }
    // Why the array was refused ("" when it was not), in the user's words.
    QString error() const { return m_error; }
    void raiseIfInvalid() const;

private:
    bool present(int index);
    void refuse(int index, const char *expectedKey);

    QString m_module;
    QVariantList m_params;
    QString m_error;
};
