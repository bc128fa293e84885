#pragma once

#include <QString>
#include <ostream>

// GoogleTest prints failing QStrings as their text instead of as raw UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
