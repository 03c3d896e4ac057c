#pragma once
// The windows' edge between the system's code page 1250 strings and Qt's
// Unicode strings. Every window converts here and nowhere else.
#include <QString>
#include <string>
#include <string_view>

QString FromCp1250(std::string_view text);
// A character that code page 1250 lacks becomes "?".
std::string ToCp1250(const QString& text);
