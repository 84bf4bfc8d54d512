#pragma once

#include <QString>

#include <type_traits>

namespace zarnith {

// A number or a text as it fills a message of the window or the command line.
inline QString FillQtText(const QString& text)
{
    return text;
}
template <class Number>
requires std::is_arithmetic_v<Number> QString FillQtText(Number number)
{
    return QString::number(number);
}

// text with its %1, %2, ... filled in one step, so that nothing filled in (a path holding "%2")
// is filled again.
template <class... Values> QString Fill(const QString& text, const Values&... values)
{
    return text.arg(FillQtText(values)...);
}

} // namespace zarnith
