#include "framework_content.h"

#include <stdexcept>

#include "cp1250.h"
#include "framework_data.h"
#include "framework_tables.h"

std::vector<std::string> ReadScaleTexts(std::string_view name, int perScale) {
  const TEmbeddedFile* file = FindEmbedded(EngineDataFiles(), name);
  if (file == nullptr) throw std::logic_error("content file missing: " + std::string(name));
  const auto fail = [&](int line, const char* what) {
    throw std::logic_error(std::string(name) + ":" + std::to_string(line) + ": " + what);
  };

  std::vector<std::string> texts;
  std::string_view rest = file->Text();
  int lineNumber = 0;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    const std::size_t expected = texts.size() / static_cast<std::size_t>(perScale);
    if (expected >= ScaleLetters.size()) fail(lineNumber, "more texts than the scales hold");
    if (line.size() < 3 || line[1] != '|' || line.back() != '|') fail(lineNumber, "expected <letter>|<text>|");
    if (line[0] != ScaleLetters[expected]) fail(lineNumber, "text of the wrong scale");
    texts.push_back(Utf8ToCp1250(line.substr(2, line.size() - 3)));
  }
  if (texts.size() != ScaleLetters.size() * static_cast<std::size_t>(perScale)) fail(lineNumber, "too few texts");
  return texts;
}
