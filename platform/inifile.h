#pragma once
// Settings files in the ini format: "[Section]" header lines followed by
// "Key=Value" lines. Section and key names compare without regard to case
// and to blanks around them. A failed file step throws EInOutError.
#include <string>
#include <string_view>

// True when the file has a header line for the section. A missing file has no sections.
bool IniSectionExists(const std::string& fileName, std::string_view section);

// Stores the boolean as the digit 0 or 1 under the key in the section,
// creating the file, the section (at the end of the file) or the key (after
// the section's last entry) as needed. Every other line is kept as it was.
// The file is replaced whole (wholefile.h): a read-only file is refused with
// code 5 and kept, a symbolic link is written through.
void IniWriteBool(const std::string& fileName, std::string_view section, std::string_view key, bool value);
