#pragma once
// Comma text: a list of lines as one string, the form in which the
// counsellor's notes are stored in a record.
#include <string>
#include <string_view>
#include <vector>

// The lines joined by commas. A line holding a blank, a character below the
// blank, a comma or a double quote is put in double quotes with its double
// quotes doubled; a list of one empty line is written as "" (two quotes).
std::string JoinCommaText(const std::vector<std::string>& lines);

// The lines of a comma text (up to its first NUL). Splits at commas and at
// blanks outside double quotes, and undoes the quoting; blanks and control
// characters around the items are skipped, and a comma at the very end adds
// one empty line.
std::vector<std::string> SplitCommaText(std::string_view text);
