// The program's single-byte code page, Windows-1250, and the conversion of
// UTF-8 feed text into it. Our own tables; no system conversion is used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

// Unicode code point of a Windows-1250 byte. The five bytes the code page
// leaves undefined map to the C1 control of the same value.
char32_t Cp1250ToUnicode(unsigned char byte);

// Windows-1250 byte of a code point; '?' when the code page lacks it.
char UnicodeToCp1250(char32_t code_point);

// A Windows-1250 letter in its lower case; other bytes as they are.
char LowerCp1250(char c);
// Every Windows-1250 letter turned into its lower case; other bytes as they
// are. Texts that differ only in letter case fold to the same text.
std::string FoldLetterCase(std::string_view text);

// Whole text conversions. Utf16 is used by the Qt text bridge.
std::u16string Cp1250ToUtf16(std::string_view text);
std::string Utf16ToCp1250(std::u16string_view text);
std::string Cp1250ToUtf8(std::string_view text);

// Little-endian UTF-16 bytes (an odd last byte ignored) to Windows-1250, with
// the rules of Utf16ToCp1250.
std::string Utf16LeToCp1250(std::string_view le_bytes);

// UTF-8 to Windows-1250 for stored texts: a byte that does not start a
// well-formed sequence becomes '?' by itself and the rest is still read.
// Unlike Utf8ToCp1250, a damaged text never comes back empty.
std::string Utf8ToCp1250Lenient(std::string_view text);

// True when "utf-8" or "UTF-8" occurs anywhere in the text (case-sensitive).
bool IsUtf8Document(std::string_view text);

// Converts UTF-8 bytes to Windows-1250 with the reader's decoding rule: a
// byte below 0x80 is itself; a lead byte from 0x80 takes one continuation
// byte when its bit 0x20 is clear and two when set, except that a lead byte
// F0..F7 followed by three continuation bytes is one character. A
// continuation byte outside 80..BF, or a text ending inside a sequence, makes
// the whole result empty. Characters outside the code page become '?'.
std::string Utf8ToCp1250(std::string_view text);

// A text as the user typed it or a file wrote it, beside what the feed list
// keeps of it.
struct TypedText {
  std::string typed;   // UTF-8
  std::string stored;  // Windows-1250
};

// The lines of a message naming the texts that would lose letters, in UTF-8:
// "typed" -> "stored" (with an arrow) for each, once each, in order, every
// text cut to its first 80 characters; beyond 20 lines one more line says
// how many were left out. Empty when every text keeps its letters.
std::string LostLetterLines(const std::vector<TypedText>& texts);

}  // namespace rivolet
