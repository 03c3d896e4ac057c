#include "inifile.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "recordfile.h"
#include "wholefile.h"

namespace {

struct TIniLine {
  std::string Text;
  std::string Ending;  // "\r\n", "\n" or "" for a last line without one
};

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The name of a "[name]" header line; nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

// The key of a "key=value" line; nullopt for other lines.
std::optional<std::string_view> KeyName(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos || Trim(line).starts_with(';')) return std::nullopt;
  return line.substr(0, eq);
}

// The file's lines; an empty list when the file does not exist.
std::vector<TIniLine> ReadLines(const std::string& fileName) {
  std::string content;
  try {
    TRecordFile file(fileName, TRecordFileMode::ReadOnly, 1);
    content.resize(static_cast<std::size_t>(file.RecordCount()));
    file.Read(content.data(), content.size());
    file.Close();
  } catch (const EInOutError& e) {
    if (e.ErrorCode != InOutErrorCode(ENOENT)) throw;
  }
  std::vector<TIniLine> lines;
  std::size_t p = 0;
  while (p < content.size()) {
    const auto nl = content.find('\n', p);
    TIniLine line;
    if (nl == std::string::npos) {
      line.Text = content.substr(p);
      p = content.size();
    } else {
      const bool cr = nl > p && content[nl - 1] == '\r';
      line.Text = content.substr(p, nl - p - (cr ? 1 : 0));
      line.Ending = cr ? "\r\n" : "\n";
      p = nl + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

bool IniSectionExists(const std::string& fileName, std::string_view section) {
  for (const auto& line : ReadLines(fileName)) {
    const auto name = SectionName(line.Text);
    if (name && SameName(*name, section)) return true;
  }
  return false;
}

void IniWriteBool(const std::string& fileName, std::string_view section, std::string_view key, bool value) {
  std::vector<TIniLine> lines = ReadLines(fileName);
  // New lines end the way the file's first line does.
  const std::string ending = !lines.empty() && lines.front().Ending == "\r\n" ? "\r\n" : "\n";
  const std::string digit = value ? "1" : "0";
  if (!lines.empty() && lines.back().Ending.empty()) lines.back().Ending = ending;

  std::size_t header = 0;
  while (header < lines.size()) {
    const auto name = SectionName(lines[header].Text);
    if (name && SameName(*name, section)) break;
    ++header;
  }
  if (header == lines.size()) {
    lines.push_back({"[" + std::string(section) + "]", ending});
    lines.push_back({std::string(key) + "=" + digit, ending});
  } else {
    std::size_t insertAt = header + 1;  // after the section's last entry
    bool stored = false;
    for (std::size_t i = header + 1; i < lines.size() && !SectionName(lines[i].Text); ++i) {
      const auto name = KeyName(lines[i].Text);
      if (name && SameName(*name, key)) {
        lines[i].Text = std::string(*name) + "=" + digit;
        stored = true;
        break;
      }
      if (name) insertAt = i + 1;
    }
    if (!stored)
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {std::string(key) + "=" + digit, ending});
  }

  std::string content;
  for (const auto& line : lines) content += line.Text + line.Ending;
  // Replaced whole: a failed write leaves the old file as it was; a link is written through.
  WriteFileWhole(fileName, content);
}
