#pragma once
// Files compiled into the programs at build time (content texts, pictures).
#include <cstddef>
#include <span>
#include <string_view>

struct TEmbeddedFile {
  std::string_view Name;  // the file's base name, e.g. "items.txt"
  const unsigned char* Data;
  std::size_t Size;
  std::string_view Text() const { return {reinterpret_cast<const char*>(Data), Size}; }
};

// The entry named `name` in `files`, or nullptr when there is none.
inline const TEmbeddedFile* FindEmbedded(std::span<const TEmbeddedFile> files, std::string_view name) {
  for (const auto& f : files)
    if (f.Name == name) return &f;
  return nullptr;
}
