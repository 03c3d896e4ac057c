#pragma once
// Code page 1250 (Central European) text, the encoding of every string the
// engine and the record files hold, and its conversion to and from Unicode.
// Every boundary (content files, windows, documents) converts here.
#include <string>
#include <string_view>

// Each byte to its Unicode character. The five bytes that code page 1250
// leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 control of
// the same number, so any byte string survives the round trip.
std::u16string Cp1250ToUtf16(std::string_view s);
std::string Cp1250ToUtf8(std::string_view s);

// Each character to its code page 1250 byte; a character the code page lacks
// (or a malformed UTF-8 sequence) becomes "?".
std::string Utf16ToCp1250(std::u16string_view s);
std::string Utf8ToCp1250(std::string_view s);

// One byte to its Unicode code point, and back (-1 when the code page lacks it).
char16_t Cp1250Char(unsigned char c);
int Cp1250Byte(char32_t u);

// Text from a record (a name, a note line) as plain text for the screen, the
// printed report and the Word document: a TAB becomes a blank and every other
// control character is dropped (the bytes below the blank, DEL, and the five
// undefined bytes, which map to C1 controls). No byte of such a text can then
// act as a line, paragraph, cell or row mark wherever it is shown.
std::string PlainText(std::string_view s);
