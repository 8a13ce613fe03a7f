#pragma once

#include <QString>

#include <exception>
#include <string>

// Errors raised by the program's own classes: a number (the component error base plus a per-class
// offset), a source "Class::Member" and a message text. Procedures catch them at their top and either
// report them or drop them; the polling path drops them silently.
inline constexpr quint32 kComponentErrorBase = 0x80040000u;

class ComponentError : public std::exception {
public:
    ComponentError(quint32 number, QString source, QString description)
        : m_number(number),
          m_source(std::move(source)),
          m_description(std::move(description)),
          m_what(QStringLiteral("0x%1 %2: %3")
                     .arg(m_number, 8, 16, QLatin1Char('0'))
                     .arg(m_source, m_description)
                     .toStdString()) {}

    [[nodiscard]] quint32 number() const noexcept { return m_number; }
    [[nodiscard]] const QString& source() const noexcept { return m_source; }
    [[nodiscard]] const QString& description() const noexcept { return m_description; }
    [[nodiscard]] const char* what() const noexcept override { return m_what.c_str(); }

private:
    quint32 m_number;
    QString m_source;
    QString m_description;
    std::string m_what;
};

// Language faults, kept apart from the component errors so that callers can let them pass unchanged.
class IndexOutOfRangeError : public std::exception {
public:
    [[nodiscard]] const char* what() const noexcept override { return "Subscript out of range"; }
};

class OverflowError : public std::exception {
public:
    [[nodiscard]] const char* what() const noexcept override { return "Overflow"; }
};
