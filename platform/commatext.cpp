#include "commatext.h"

namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(std::string_view line) {
  for (char c : line)
    if (IsBlankOrControl(c) || c == ',' || c == '"') return true;
  return false;
}

std::string Quoted(std::string_view line) {
  std::string out = "\"";
  for (char c : line) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace

std::string JoinCommaText(const std::vector<std::string>& lines) {
  if (lines.size() == 1 && lines[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += ',';
    out += NeedsQuotes(lines[i]) ? Quoted(lines[i]) : lines[i];
  }
  return out;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t p = 0;
  const std::size_t end = text.size();
  auto skipBlanks = [&] {
    while (p < end && IsBlankOrControl(text[p])) ++p;
  };
  skipBlanks();
  while (p < end) {
    std::string item;
    if (text[p] == '"') {
      // Up to the closing quote (or the end); a doubled quote stands for one.
      ++p;
      while (p < end) {
        if (text[p] == '"') {
          if (p + 1 < end && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const std::size_t start = p;
      while (p < end && !IsBlankOrControl(text[p]) && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    lines.push_back(std::move(item));
    skipBlanks();
    if (p < end && text[p] == ',') {
      if (p + 1 == end) lines.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return lines;
}
