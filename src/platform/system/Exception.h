#pragma once

#include <stdexcept>

#include <QString>

// An error the user is meant to read: the text is shown as it stands in the
// standard error box when nothing on the way catches it. what() gives the same
// text in UTF-8 so that generic std::exception handlers lose nothing.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
