#pragma once
// Reads semicolon-separated text the way a spreadsheet does (RFC 4180 with
// another separator), to check exported files from the reader's side.
#include <string>
#include <string_view>
#include <vector>

// The records of `text`: a record ends at CR LF or LF outside double quotes;
// a field that begins with a double quote runs to the closing one, "" inside
// it standing for one double quote; any other field is taken as it stands.
inline std::vector<std::vector<std::string>> ReadCsv(std::string_view text, char separator = ';') {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, atStart = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
      continue;
    }
    if (c == '"' && atStart) {
      quoted = true;
      atStart = false;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') c = text[++i];
    if (c == separator || c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      atStart = true;
      if (c == '\n') {
        rows.push_back(std::move(row));
        row.clear();
      }
      continue;
    }
    field += c;
    atStart = false;
  }
  if (!field.empty() || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}
