#include "textcodec.h"

#include "cp1250.h"

QString FromCp1250(std::string_view text) {
  return QString::fromStdU16String(Cp1250ToUtf16(text));
}

std::string ToCp1250(const QString& text) {
  return Utf16ToCp1250(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}
