#include "framework_professions.h"

#include <algorithm>
#include <stdexcept>

#include "cp1250.h"
#include "framework_data.h"

std::vector<TProfession> Professions;

namespace {

// Blanks, TABs and every other control character.
bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

TProfession ParseProfessionLine(std::string_view line) {
  TProfession p;
  std::string_view rest = Trimmed(line);

  // The name runs up to the first control character; only its first 50 characters are kept.
  std::size_t n = 0;
  while (n < rest.size() && static_cast<unsigned char>(rest[n]) > 31) ++n;
  p.Name = Trimmed(rest.substr(0, std::min(n, ProfessionNameMax)));
  rest.remove_prefix(n);

  while (!rest.empty() && IsBlankOrControl(rest.front())) rest.remove_prefix(1);

  // The code is the next three characters whatever they are; a shorter rest gives a shorter code.
  const std::size_t codeLength = std::min<std::size_t>(3, rest.size());
  p.Code = rest.substr(0, codeLength);
  rest.remove_prefix(codeLength);

  for (char c : rest) {
    if (c == '1') p.Levels.insert(plTraining);
    if (c == '2') p.Levels.insert(plSecondary);
    if (c == '3') p.Levels.insert(plHigher);
  }
  return p;
}

void InitProfessions() {
  const TEmbeddedFile* file = FindEmbedded(EngineDataFiles(), "professions.txt");
  if (!file) throw std::runtime_error("Katalog profesí v programu chybí.");
  const std::string text = Utf8ToCp1250(file->Text());
  Professions.clear();  // building the catalogue again gives the same catalogue, not a doubled one
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!Trimmed(line).empty()) Professions.push_back(ParseProfessionLine(line));
  }
}
