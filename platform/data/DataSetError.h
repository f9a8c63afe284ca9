#pragma once

#include <QString>

#include <stdexcept>

// Raised by a client dataset for a misuse (writing in browse state, an unknown field, a
// required field left empty on post, text that does not convert to the field's type).
class DataSetError : public std::runtime_error
{
public:
    explicit DataSetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
