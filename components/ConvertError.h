#pragma once

#include <QString>

#include <stdexcept>

// A text that cannot be converted to the value asked for (a date, a number).
// The message is the text shown to the user, word for word.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A value outside the range a control accepts. The message is the text shown
// to the user, word for word.
class ERangeError : public std::runtime_error
{
public:
    explicit ERangeError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString& message() const { return m_message; }

private:
    QString m_message;
};
