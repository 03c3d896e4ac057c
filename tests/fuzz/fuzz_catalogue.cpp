// Feeds arbitrary bytes to the catalogue line parser: it must never read past
// the line, and what it returns must keep the entry's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "framework.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const TProfession p = ParseProfessionLine(line);
  const auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  if (p.Name.size() > ProfessionNameMax || p.Code.size() > 3 || (p.Levels.Bits & ~0b111u) != 0) std::abort();
  if (!p.Name.empty() && (blankOrControl(p.Name.front()) || blankOrControl(p.Name.back()))) std::abort();
  if (line.find(p.Name) == std::string_view::npos || line.find(p.Code) == std::string_view::npos) std::abort();
  return 0;
}
