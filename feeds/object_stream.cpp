// The object stream codec.
#include "feeds/object_stream.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/codepage.h"
#include "common/error.h"

namespace rivolet {
namespace {

// Nested lists and child objects are followed this deep and no deeper.
constexpr int kMaxDepth = 64;

// Items of a collection: each an optional integer, then a list of property
// records ended by an empty name; 0x00 after the last item.
void SkipCollection(ObjectCursor& c, int depth) {
  for (std::uint8_t tag = c.U8(); tag != kTagNull; tag = c.U8()) {
    if (IsIntTag(tag)) {
      ReadIntPayload(c, tag);
      tag = c.U8();
    }
    if (tag != kTagList) FailStream(kInvalidPropertyValue);
    while (!c.ShortString().empty()) SkipValue(c, c.U8(), depth + 1);
  }
}

}  // namespace

void FailStream(const char* message) { throw Error(message); }

// ---------------------------------------------------------------- writing

void ObjectWriter::U16(std::uint16_t v) {
  Byte(static_cast<std::uint8_t>(v));
  Byte(static_cast<std::uint8_t>(v >> 8));
}

void ObjectWriter::U32(std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    Byte(static_cast<std::uint8_t>(v >> shift));
}

void ObjectWriter::ShortString(std::string_view s) {
  s = s.substr(0, std::min(s.size(), kMaxShortString));
  Byte(static_cast<std::uint8_t>(s.size()));
  Raw(s);
}

void ObjectWriter::IntValue(std::int32_t v) {
  if (v >= -128 && v <= 127) {
    Byte(kTagInt8);
    Byte(static_cast<std::uint8_t>(v));
  } else if (v >= -32768 && v <= 32767) {
    Byte(kTagInt16);
    U16(static_cast<std::uint16_t>(v));
  } else {
    Byte(kTagInt32);
    I32(v);
  }
}

void ObjectWriter::IdentValue(std::string_view ident) {
  if (EqualsIgnoreCase(ident, "False")) {
    Byte(kTagFalse);
  } else if (EqualsIgnoreCase(ident, "True")) {
    Byte(kTagTrue);
  } else if (EqualsIgnoreCase(ident, "nil")) {
    Byte(kTagNil);
  } else if (EqualsIgnoreCase(ident, "Null")) {
    Byte(kTagNull);
  } else {
    Byte(kTagIdent);
    ShortString(ident);
  }
}

void ObjectWriter::TextValue(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  });
  if (ascii && text.size() <= kMaxShortString) {
    Byte(kTagString);
    ShortString(text);
  } else if (ascii) {
    Byte(kTagLString);
    U32(static_cast<std::uint32_t>(text.size()));
    Raw(text);
  } else {
    const std::string utf8 = Cp1250ToUtf8(text);
    if (utf8.size() >= 2 * text.size()) {
      const std::u16string wide = Cp1250ToUtf16(text);
      Byte(kTagWString);
      U32(static_cast<std::uint32_t>(wide.size()));
      for (char16_t unit : wide) U16(static_cast<std::uint16_t>(unit));
    } else {
      Byte(kTagUtf8String);
      U32(static_cast<std::uint32_t>(utf8.size()));
      Raw(utf8);
    }
  }
}

// ---------------------------------------------------------------- reading

void ObjectCursor::Limit(std::size_t size) {
  if (size < pos_) FailStream(kStreamReadError);
  bytes_ = bytes_.substr(0, size);
}

std::string_view ObjectCursor::Bytes(std::uint64_t n) {
  if (n > remaining()) FailStream(kStreamReadError);
  std::string_view v = bytes_.substr(pos_, static_cast<std::size_t>(n));
  pos_ += static_cast<std::size_t>(n);
  return v;
}

std::uint64_t ObjectCursor::LE(int width) {
  std::string_view b = Bytes(static_cast<std::uint64_t>(width));
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(b[i]);
  return v;
}

std::int32_t ReadIntPayload(ObjectCursor& c, std::uint8_t tag) {
  switch (tag) {
    case kTagInt8:
      return static_cast<std::int8_t>(c.U8());
    case kTagInt16:
      return c.I16();
    case kTagInt32:
      return c.I32();
    default:
      FailStream(kInvalidPropertyValue);
  }
}

std::int32_t ReadInt(ObjectCursor& c) { return ReadIntPayload(c, c.U8()); }

std::string_view ReadIdentPayload(ObjectCursor& c, std::uint8_t tag) {
  switch (tag) {
    case kTagIdent:
      return c.ShortString();
    case kTagFalse:
      return "False";
    case kTagTrue:
      return "True";
    case kTagNil:
      return "nil";
    case kTagNull:
      return "Null";
    default:
      FailStream(kInvalidPropertyValue);
  }
}

std::string ReadTextPayload(ObjectCursor& c, std::uint8_t tag) {
  switch (tag) {
    case kTagString:
      return std::string(c.ShortString());
    case kTagLString:
      return std::string(c.Bytes(c.U32()));
    case kTagWString:
      return Utf16LeToCp1250(c.Bytes(std::uint64_t{c.U32()} * 2));
    case kTagUtf8String:
      return Utf8ToCp1250Lenient(c.Bytes(c.U32()));
    default:
      FailStream(kInvalidPropertyValue);
  }
}

void SkipValue(ObjectCursor& c, std::uint8_t tag, int depth) {
  if (depth > kMaxDepth) FailStream(kInvalidPropertyValue);
  switch (tag) {
    case kTagNull:
    case kTagFalse:
    case kTagTrue:
    case kTagNil:
      return;
    case kTagList:
      for (std::uint8_t t = c.U8(); t != kTagNull; t = c.U8())
        SkipValue(c, t, depth + 1);
      return;
    case kTagInt8:
      c.Bytes(1);
      return;
    case kTagInt16:
      c.Bytes(2);
      return;
    case kTagInt32:
    case kTagSingle:
      c.Bytes(4);
      return;
    case kTagExtended:
      c.Bytes(10);
      return;
    case kTagCurrency:
    case kTagDate:
    case kTagInt64:
      c.Bytes(8);
      return;
    case kTagString:
    case kTagIdent:
      c.ShortString();
      return;
    case kTagBinary:
    case kTagLString:
    case kTagUtf8String:
      c.Bytes(c.U32());
      return;
    case kTagWString:
      c.Bytes(std::uint64_t{c.U32()} * 2);
      return;
    case kTagSet:
      while (!c.ShortString().empty()) {
      }
      return;
    case kTagCollection:
      SkipCollection(c, depth);
      return;
    default:
      FailStream(kInvalidPropertyValue);
  }
}

void SkipObjectFlags(ObjectCursor& c) {
  if (c.Peek() >= 0xF0) {
    const std::uint8_t flags = c.U8();
    if (flags & 2) ReadInt(c);  // the object's position among its siblings
  }
}

void SkipObject(ObjectCursor& c, int depth) {
  if (depth > kMaxDepth) FailStream(kInvalidStreamFormat);
  SkipObjectFlags(c);
  c.ShortString();  // class
  c.ShortString();  // name
  while (!c.ShortString().empty()) SkipValue(c, c.U8(), 0);
  while (c.Peek() != 0) SkipObject(c, depth + 1);
  c.U8();
}

}  // namespace rivolet
