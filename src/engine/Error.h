#pragma once
// The program's error type: a message text and a numeric help context.
// The table engine raises EngineError; everything else raises Error.

#include <QString>
#include <stdexcept>

namespace zr {

class Error : public std::runtime_error
{
public:
    explicit Error(const QString& message, int helpContext = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_helpContext(helpContext)
    {
    }
    const QString& message() const noexcept { return m_message; }
    int helpContext() const noexcept { return m_helpContext; }

private:
    QString m_message;
    int m_helpContext;
};

class EngineError : public Error
{
public:
    using Error::Error;
};

} // namespace zr
