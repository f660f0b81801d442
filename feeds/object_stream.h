// The object stream codec under the feed list file: value tags, a writer of
// values, a bounds-checked cursor over the bytes, and readers that step over
// any value the format knows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rivolet {

// Value tags of the object stream.
enum ObjectTag : std::uint8_t {
  kTagNull = 0x00,
  kTagList = 0x01,
  kTagInt8 = 0x02,
  kTagInt16 = 0x03,
  kTagInt32 = 0x04,
  kTagExtended = 0x05,
  kTagString = 0x06,
  kTagIdent = 0x07,
  kTagFalse = 0x08,
  kTagTrue = 0x09,
  kTagBinary = 0x0A,
  kTagSet = 0x0B,
  kTagLString = 0x0C,
  kTagNil = 0x0D,
  kTagCollection = 0x0E,
  kTagSingle = 0x0F,
  kTagCurrency = 0x10,
  kTagDate = 0x11,
  kTagWString = 0x12,
  kTagInt64 = 0x13,
  kTagUtf8String = 0x14,
};

inline constexpr std::size_t kMaxShortString = 255;

// The stream's own error messages.
inline constexpr char kStreamReadError[] = "Stream read error";
inline constexpr char kInvalidStreamFormat[] = "Invalid stream format";
inline constexpr char kInvalidPropertyValue[] = "Invalid property value";

// Throws Error(message).
[[noreturn]] void FailStream(const char* message);

inline bool IsIntTag(std::uint8_t tag) {
  return tag == kTagInt8 || tag == kTagInt16 || tag == kTagInt32;
}

// Appends values in the stream's encoding.
class ObjectWriter {
 public:
  std::string& out() { return out_; }

  void Byte(std::uint8_t b) { out_.push_back(static_cast<char>(b)); }
  void Raw(std::string_view bytes) { out_.append(bytes); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  // A short string: its first 255 bytes behind their length.
  void ShortString(std::string_view s);

  // An integer with the smallest of the three integer tags.
  void IntValue(std::int32_t v);
  void BoolValue(bool v) { Byte(v ? kTagTrue : kTagFalse); }
  // An identifier; "False", "True", "nil" and "Null" (any case) become their
  // bare tags.
  void IdentValue(std::string_view ident);
  // Windows-1250 text: a short or long text when it is ASCII, else its UTF-8
  // form, or its UTF-16 form when that is shorter.
  void TextValue(std::string_view text);

 private:
  std::string out_;
};

// Reads little-endian values from a byte range and never past its end; any
// read beyond it fails with "Stream read error".
class ObjectCursor {
 public:
  explicit ObjectCursor(std::string_view bytes) : bytes_(bytes) {}

  std::size_t remaining() const { return bytes_.size() - pos_; }
  // The next byte without taking it; 0 at the end.
  std::uint8_t Peek() const {
    return pos_ < bytes_.size() ? static_cast<std::uint8_t>(bytes_[pos_]) : 0;
  }
  // Narrows the readable range to its first `size` bytes, which must not
  // end before what has already been read.
  void Limit(std::size_t size);

  std::string_view Bytes(std::uint64_t n);
  std::uint8_t U8() { return static_cast<std::uint8_t>(Bytes(1)[0]); }
  std::uint64_t LE(int width);
  std::int16_t I16() { return static_cast<std::int16_t>(LE(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(LE(4)); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string_view ShortString() { return Bytes(U8()); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// The payload of an integer value whose tag was read; another tag fails with
// "Invalid property value".
std::int32_t ReadIntPayload(ObjectCursor& c, std::uint8_t tag);
std::int32_t ReadInt(ObjectCursor& c);

// An identifier value; the bare tags stand for their names.
std::string_view ReadIdentPayload(ObjectCursor& c, std::uint8_t tag);

// A text value (short, long, wide or UTF-8) as Windows-1250 bytes.
std::string ReadTextPayload(ObjectCursor& c, std::uint8_t tag);

// Steps over one value of any kind the format knows. Nesting deeper than a
// fixed limit fails, so a hostile file cannot exhaust the stack.
void SkipValue(ObjectCursor& c, std::uint8_t tag, int depth = 0);

// The optional flags byte (and the position it may announce) before an
// object's class name.
void SkipObjectFlags(ObjectCursor& c);

// Steps over a whole object with its properties and children.
void SkipObject(ObjectCursor& c, int depth);

}  // namespace rivolet
