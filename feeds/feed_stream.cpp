// Reader and writer of the feed list file: an object stream holding one list
// control (layout properties, columns) and a binary item block with the feeds.
#include "feeds/feed_stream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "common/codepage.h"
#include "common/error.h"

namespace rivolet {
namespace {

// Value tags of the object stream.
enum Tag : std::uint8_t {
  kNull = 0x00,
  kList = 0x01,
  kInt8 = 0x02,
  kInt16 = 0x03,
  kInt32 = 0x04,
  kExtended = 0x05,
  kString = 0x06,
  kIdent = 0x07,
  kFalse = 0x08,
  kTrue = 0x09,
  kBinary = 0x0A,
  kSet = 0x0B,
  kLString = 0x0C,
  kNil = 0x0D,
  kCollection = 0x0E,
  kSingle = 0x0F,
  kCurrency = 0x10,
  kDate = 0x11,
  kWString = 0x12,
  kInt64 = 0x13,
  kUtf8String = 0x14,
};

constexpr char kSignature[] = "TPF0";
constexpr std::size_t kMaxShortString = 255;
constexpr std::int32_t kDefaultColumnWidth = 50;
// Nested lists and child objects are followed this deep and no deeper, so a
// hostile file cannot exhaust the stack.
constexpr int kMaxDepth = 64;
// The smallest entry record: five 32-bit values and an empty name.
constexpr std::size_t kMinEntryRecord = 21;

constexpr char kStreamReadError[] = "Stream read error";
constexpr char kInvalidStreamFormat[] = "Invalid stream format";
constexpr char kInvalidPropertyValue[] = "Invalid property value";

[[noreturn]] void Fail(const char* message) { throw Error(message); }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

// ---------------------------------------------------------------- writing

class Writer {
 public:
  std::string& out() { return out_; }

  void Byte(std::uint8_t b) { out_.push_back(static_cast<char>(b)); }
  void Raw(std::string_view bytes) { out_.append(bytes); }
  void U16(std::uint16_t v) {
    Byte(static_cast<std::uint8_t>(v));
    Byte(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
      Byte(static_cast<std::uint8_t>(v >> shift));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }

  // A short string: its first 255 bytes behind their length.
  void ShortString(std::string_view s) {
    s = s.substr(0, std::min(s.size(), kMaxShortString));
    Byte(static_cast<std::uint8_t>(s.size()));
    Raw(s);
  }

  void IntValue(std::int32_t v) {
    if (v >= -128 && v <= 127) {
      Byte(kInt8);
      Byte(static_cast<std::uint8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      Byte(kInt16);
      U16(static_cast<std::uint16_t>(v));
    } else {
      Byte(kInt32);
      I32(v);
    }
  }

  void BoolValue(bool v) { Byte(v ? kTrue : kFalse); }

  void IdentValue(std::string_view ident) {
    if (SameName(ident, "False")) {
      Byte(kFalse);
    } else if (SameName(ident, "True")) {
      Byte(kTrue);
    } else if (SameName(ident, "nil")) {
      Byte(kNil);
    } else if (SameName(ident, "Null")) {
      Byte(kNull);
    } else {
      Byte(kIdent);
      ShortString(ident);
    }
  }

  void TextValue(std::string_view text) {
    bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80;
    });
    if (ascii && text.size() <= kMaxShortString) {
      Byte(kString);
      ShortString(text);
    } else if (ascii) {
      Byte(kLString);
      U32(static_cast<std::uint32_t>(text.size()));
      Raw(text);
    } else {
      std::string utf8 = Cp1250ToUtf8(text);
      if (utf8.size() >= 2 * text.size()) {
        std::u16string wide = Cp1250ToUtf16(text);
        Byte(kWString);
        U32(static_cast<std::uint32_t>(wide.size()));
        for (char16_t unit : wide) U16(static_cast<std::uint16_t>(unit));
      } else {
        Byte(kUtf8String);
        U32(static_cast<std::uint32_t>(utf8.size()));
        Raw(utf8);
      }
    }
  }

 private:
  std::string out_;
};

std::size_t StoredLength(const std::string& s) {
  return std::min(s.size(), kMaxShortString);
}

std::int16_t FieldImage(const FeedEntry& e, std::size_t k) {
  return k < e.field_images.size() ? e.field_images[k] : std::int16_t{-1};
}

void WriteItemBlock(Writer& w, const FeedList& list) {
  std::uint64_t size = 8;
  for (const FeedEntry& e : list.entries()) {
    size += kMinEntryRecord + StoredLength(e.name);
    for (const std::string& f : e.fields) size += 1 + StoredLength(f) + 2;
  }
  if (size >
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    throw Error("The feed list is too large to be saved");
  }
  w.Byte(kBinary);
  w.U32(static_cast<std::uint32_t>(size));
  w.out().reserve(w.out().size() + size + 64);
  w.U32(static_cast<std::uint32_t>(size));
  w.U32(static_cast<std::uint32_t>(list.Count()));
  for (const FeedEntry& e : list.entries()) {
    w.I32(e.image_index);
    w.I32(e.state_index);
    w.I32(e.overlay_index);
    w.U32(static_cast<std::uint32_t>(e.fields.size()));
    w.I32(e.data);
    w.ShortString(e.name);
    for (const std::string& f : e.fields) w.ShortString(f);
  }
  for (const FeedEntry& e : list.entries()) {
    for (std::size_t k = 0; k < e.fields.size(); ++k) {
      w.U16(static_cast<std::uint16_t>(FieldImage(e, k)));
    }
  }
}

void WriteColumns(Writer& w, const std::vector<ListColumn>& columns) {
  w.Byte(kCollection);
  for (const ListColumn& c : columns) {
    w.Byte(kList);
    if (!c.caption.empty()) {
      w.ShortString("Caption");
      w.TextValue(c.caption);
    }
    if (c.width < 0) {
      w.ShortString("WidthType");
      w.Byte(kList);
      w.IntValue(c.width);
      w.Byte(kNull);
    } else if (c.width != kDefaultColumnWidth) {
      w.ShortString("Width");
      w.IntValue(c.width);
    }
    w.Byte(kNull);
  }
  w.Byte(kNull);
}

// ---------------------------------------------------------------- reading

// Reads little-endian values from a byte range and never past its end.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

  std::size_t remaining() const { return bytes_.size() - pos_; }
  // The next byte without taking it; 0 at the end.
  std::uint8_t Peek() const {
    return pos_ < bytes_.size() ? static_cast<std::uint8_t>(bytes_[pos_]) : 0;
  }
  // Narrows the readable range to its first `size` bytes, which must not
  // end before what has already been read.
  void Limit(std::size_t size) {
    if (size < pos_) Fail(kStreamReadError);
    bytes_ = bytes_.substr(0, size);
  }

  std::string_view Bytes(std::uint64_t n) {
    if (n > remaining()) Fail(kStreamReadError);
    std::string_view v = bytes_.substr(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return v;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Bytes(1)[0]); }
  std::uint64_t LE(int width) {
    std::string_view b = Bytes(static_cast<std::uint64_t>(width));
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
      v = (v << 8) | static_cast<std::uint8_t>(b[i]);
    return v;
  }
  std::int16_t I16() { return static_cast<std::int16_t>(LE(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(LE(4)); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string_view ShortString() { return Bytes(U8()); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

std::int32_t ReadIntPayload(Cursor& c, std::uint8_t tag) {
  switch (tag) {
    case kInt8:
      return static_cast<std::int8_t>(c.U8());
    case kInt16:
      return c.I16();
    case kInt32:
      return c.I32();
    default:
      Fail(kInvalidPropertyValue);
  }
}

std::int32_t ReadInt(Cursor& c) { return ReadIntPayload(c, c.U8()); }

// An identifier value; the bare tags stand for their names.
std::string_view ReadIdentPayload(Cursor& c, std::uint8_t tag) {
  switch (tag) {
    case kIdent:
      return c.ShortString();
    case kFalse:
      return "False";
    case kTrue:
      return "True";
    case kNil:
      return "nil";
    case kNull:
      return "Null";
    default:
      Fail(kInvalidPropertyValue);
  }
}

void AppendCp1250(std::string& out, char32_t cp) {
  out.push_back(cp > 0x10FFFF ? '?' : UnicodeToCp1250(cp));
}

// UTF-16 units to Windows-1250; anything the code page lacks, unpaired
// surrogates included, becomes "?".
std::string WideToCp1250(std::string_view units) {
  std::string out;
  out.reserve(units.size() / 2);
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    char32_t u =
        static_cast<std::uint8_t>(units[i]) |
        (static_cast<char32_t>(static_cast<std::uint8_t>(units[i + 1])) << 8);
    if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back('?');  // outside the code page whether paired or not
      if (u <= 0xDBFF && i + 3 < units.size()) {
        char32_t next =
            static_cast<std::uint8_t>(units[i + 2]) |
            (static_cast<char32_t>(static_cast<std::uint8_t>(units[i + 3]))
             << 8);
        if (next >= 0xDC00 && next <= 0xDFFF) i += 2;
      }
      continue;
    }
    AppendCp1250(out, u);
  }
  return out;
}

// UTF-8 to Windows-1250; each malformed byte becomes "?".
std::string Utf8ToCodePage(std::string_view s) {
  static constexpr std::array<char32_t, 4> kSmallest = {0, 0x80, 0x800,
                                                        0x10000};
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    int extra = (b & 0xE0) == 0xC0   ? 1
                : (b & 0xF0) == 0xE0 ? 2
                : (b & 0xF8) == 0xF0 ? 3
                                     : 0;
    char32_t cp = b & (0x3F >> extra);
    bool ok = extra > 0 && s.size() - i > static_cast<std::size_t>(extra);
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char cont = static_cast<unsigned char>(s[i + k]);
      ok = (cont & 0xC0) == 0x80;
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (ok && cp >= kSmallest[extra] && !(cp >= 0xD800 && cp <= 0xDFFF)) {
      AppendCp1250(out, cp);
      i += 1 + extra;
    } else {
      out.push_back('?');
      ++i;
    }
  }
  return out;
}

// A text value (short, long, wide or UTF-8) as Windows-1250 bytes.
std::string ReadTextPayload(Cursor& c, std::uint8_t tag) {
  switch (tag) {
    case kString:
      return std::string(c.ShortString());
    case kLString:
      return std::string(c.Bytes(c.U32()));
    case kWString:
      return WideToCp1250(c.Bytes(std::uint64_t{c.U32()} * 2));
    case kUtf8String:
      return Utf8ToCodePage(c.Bytes(c.U32()));
    default:
      Fail(kInvalidPropertyValue);
  }
}

void SkipValue(Cursor& c, std::uint8_t tag, int depth);

// Items of a collection: each an optional integer, then a list of property
// records ended by an empty name; 0x00 after the last item.
void SkipCollection(Cursor& c, int depth) {
  for (std::uint8_t tag = c.U8(); tag != kNull; tag = c.U8()) {
    if (tag == kInt8 || tag == kInt16 || tag == kInt32) {
      ReadIntPayload(c, tag);
      tag = c.U8();
    }
    if (tag != kList) Fail(kInvalidPropertyValue);
    while (!c.ShortString().empty()) SkipValue(c, c.U8(), depth + 1);
  }
}

// Steps over one value of any kind the format knows.
void SkipValue(Cursor& c, std::uint8_t tag, int depth) {
  if (depth > kMaxDepth) Fail(kInvalidPropertyValue);
  switch (tag) {
    case kNull:
    case kFalse:
    case kTrue:
    case kNil:
      return;
    case kList:
      for (std::uint8_t t = c.U8(); t != kNull; t = c.U8())
        SkipValue(c, t, depth + 1);
      return;
    case kInt8:
      c.Bytes(1);
      return;
    case kInt16:
      c.Bytes(2);
      return;
    case kInt32:
    case kSingle:
      c.Bytes(4);
      return;
    case kExtended:
      c.Bytes(10);
      return;
    case kCurrency:
    case kDate:
    case kInt64:
      c.Bytes(8);
      return;
    case kString:
    case kIdent:
      c.ShortString();
      return;
    case kBinary:
    case kLString:
    case kUtf8String:
      c.Bytes(c.U32());
      return;
    case kWString:
      c.Bytes(std::uint64_t{c.U32()} * 2);
      return;
    case kSet:
      while (!c.ShortString().empty()) {
      }
      return;
    case kCollection:
      SkipCollection(c, depth);
      return;
    default:
      Fail(kInvalidPropertyValue);
  }
}

// What a property accepts, and where an applied one goes.
enum class Kind {
  kInt,
  kBool,
  kEnum,
  kIdent,
  kIntOrIdent,
  kText,
  kSet,
  kColumns,
  kItems
};
enum class Slot {
  kNone,
  kLeft,
  kTop,
  kWidth,
  kHeight,
  kTabOrder,
  kAlign,
  kBevelInner,
  kBevelKind,
  kBorderStyle,
  kViewStyle,
  kFullDrag,
  kReadOnly,
  kRowSelect,
  kShowWorkAreas,
  kVisible,
};

struct PropertyInfo {
  std::string_view name;
  Kind kind;
  Slot slot = Slot::kNone;
};

// The list control's properties. Those of the saved layout are applied; the
// rest are checked for their kind and otherwise ignored.
constexpr PropertyInfo kProperties[] = {
    {"Left", Kind::kInt, Slot::kLeft},
    {"Top", Kind::kInt, Slot::kTop},
    {"Width", Kind::kInt, Slot::kWidth},
    {"Height", Kind::kInt, Slot::kHeight},
    {"TabOrder", Kind::kInt, Slot::kTabOrder},
    {"Align", Kind::kEnum, Slot::kAlign},
    {"BevelInner", Kind::kEnum, Slot::kBevelInner},
    {"BevelKind", Kind::kEnum, Slot::kBevelKind},
    {"BorderStyle", Kind::kEnum, Slot::kBorderStyle},
    {"ViewStyle", Kind::kEnum, Slot::kViewStyle},
    {"FullDrag", Kind::kBool, Slot::kFullDrag},
    {"ReadOnly", Kind::kBool, Slot::kReadOnly},
    {"RowSelect", Kind::kBool, Slot::kRowSelect},
    {"ShowWorkAreas", Kind::kBool, Slot::kShowWorkAreas},
    {"Visible", Kind::kBool, Slot::kVisible},
    {"Columns", Kind::kColumns},
    {"Items.Data", Kind::kItems},
    {"AllocBy", Kind::kInt},
    {"BorderWidth", Kind::kInt},
    {"HelpContext", Kind::kInt},
    {"HoverTime", Kind::kInt},
    {"Tag", Kind::kInt},
    {"Constraints.MaxHeight", Kind::kInt},
    {"Constraints.MaxWidth", Kind::kInt},
    {"Constraints.MinHeight", Kind::kInt},
    {"Constraints.MinWidth", Kind::kInt},
    {"Font.Height", Kind::kInt},
    {"Font.Size", Kind::kInt},
    {"Checkboxes", Kind::kBool},
    {"ColumnClick", Kind::kBool},
    {"Ctl3D", Kind::kBool},
    {"DoubleBuffered", Kind::kBool},
    {"Enabled", Kind::kBool},
    {"FlatScrollBars", Kind::kBool},
    {"GridLines", Kind::kBool},
    {"GroupView", Kind::kBool},
    {"HideSelection", Kind::kBool},
    {"HotTrack", Kind::kBool},
    {"IconOptions.AutoArrange", Kind::kBool},
    {"IconOptions.WrapText", Kind::kBool},
    {"MultiSelect", Kind::kBool},
    {"OwnerData", Kind::kBool},
    {"OwnerDraw", Kind::kBool},
    {"ParentBiDiMode", Kind::kBool},
    {"ParentColor", Kind::kBool},
    {"ParentDoubleBuffered", Kind::kBool},
    {"ParentFont", Kind::kBool},
    {"ParentShowHint", Kind::kBool},
    {"ShowColumnHeaders", Kind::kBool},
    {"ShowHint", Kind::kBool},
    {"TabStop", Kind::kBool},
    {"BevelOuter", Kind::kIdent},
    {"BiDiMode", Kind::kIdent},
    {"DragKind", Kind::kIdent},
    {"DragMode", Kind::kIdent},
    {"Font.Pitch", Kind::kIdent},
    {"HelpType", Kind::kIdent},
    {"IconOptions.Arrangement", Kind::kIdent},
    {"SortType", Kind::kIdent},
    {"LargeImages", Kind::kIdent},
    {"SmallImages", Kind::kIdent},
    {"StateImages", Kind::kIdent},
    {"PopupMenu", Kind::kIdent},
    {"OnChange", Kind::kIdent},
    {"OnChanging", Kind::kIdent},
    {"OnClick", Kind::kIdent},
    {"OnColumnClick", Kind::kIdent},
    {"OnCompare", Kind::kIdent},
    {"OnContextPopup", Kind::kIdent},
    {"OnCustomDraw", Kind::kIdent},
    {"OnCustomDrawItem", Kind::kIdent},
    {"OnCustomDrawSubItem", Kind::kIdent},
    {"OnData", Kind::kIdent},
    {"OnDblClick", Kind::kIdent},
    {"OnDeletion", Kind::kIdent},
    {"OnDragDrop", Kind::kIdent},
    {"OnDragOver", Kind::kIdent},
    {"OnEdited", Kind::kIdent},
    {"OnEditing", Kind::kIdent},
    {"OnEndDrag", Kind::kIdent},
    {"OnEnter", Kind::kIdent},
    {"OnExit", Kind::kIdent},
    {"OnInsert", Kind::kIdent},
    {"OnKeyDown", Kind::kIdent},
    {"OnKeyPress", Kind::kIdent},
    {"OnKeyUp", Kind::kIdent},
    {"OnMouseDown", Kind::kIdent},
    {"OnMouseMove", Kind::kIdent},
    {"OnMouseUp", Kind::kIdent},
    {"OnResize", Kind::kIdent},
    {"OnSelectItem", Kind::kIdent},
    {"OnStartDrag", Kind::kIdent},
    {"Color", Kind::kIntOrIdent},
    {"Cursor", Kind::kIntOrIdent},
    {"DragCursor", Kind::kIntOrIdent},
    {"Font.Charset", Kind::kIntOrIdent},
    {"Font.Color", Kind::kIntOrIdent},
    {"Font.Name", Kind::kText},
    {"HelpKeyword", Kind::kText},
    {"Hint", Kind::kText},
    {"Anchors", Kind::kSet},
    {"BevelEdges", Kind::kSet},
    {"Font.Style", Kind::kSet},
    {"HotTrackStyles", Kind::kSet},
};

// A column item's properties.
constexpr PropertyInfo kColumnProperties[] = {
    {"Caption", Kind::kText},  {"Width", Kind::kInt},
    {"WidthType", Kind::kInt}, {"Alignment", Kind::kIdent},
    {"AutoSize", Kind::kBool}, {"ImageIndex", Kind::kInt},
    {"MaxWidth", Kind::kInt},  {"MinWidth", Kind::kInt},
    {"Tag", Kind::kInt},
};

template <std::size_t N>
const PropertyInfo* FindProperty(const PropertyInfo (&table)[N],
                                 std::string_view name) {
  for (const PropertyInfo& p : table) {
    if (SameName(p.name, name)) return &p;
  }
  return nullptr;
}

// True when `path` names an object that holds properties ("Font" of
// "Font.Name").
bool IsObjectPath(std::string_view path) {
  for (const PropertyInfo& p : kProperties) {
    if (p.name.size() > path.size() && p.name[path.size()] == '.' &&
        SameName(p.name.substr(0, path.size()), path)) {
      return true;
    }
  }
  return false;
}

// The part of a dotted property name that the control lacks.
std::string_view MissingPart(std::string_view name) {
  std::size_t start = 0;
  for (std::size_t dot = name.find('.'); dot != std::string_view::npos;
       dot = name.find('.', start)) {
    if (!IsObjectPath(name.substr(0, dot)))
      return name.substr(start, dot - start);
    start = dot + 1;
  }
  return name.substr(start);
}

[[noreturn]] void FailMissing(std::string_view part) {
  throw Error("Property " + std::string(part) + " does not exist");
}

std::string_view LastPart(std::string_view name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

constexpr std::string_view kAlignValues[] = {
    "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
constexpr std::string_view kBevelValues[] = {"bvNone", "bvLowered", "bvRaised",
                                             "bvSpace"};
constexpr std::string_view kBevelKindValues[] = {"bkNone", "bkTile", "bkSoft",
                                                 "bkFlat"};
constexpr std::string_view kBorderStyleValues[] = {"bsNone", "bsSingle"};
constexpr std::string_view kViewStyleValues[] = {"vsIcon", "vsSmallIcon",
                                                 "vsList", "vsReport"};

// Sets `target` to the value `ident` names. An identifier that names no
// value leaves the property as it was.
template <std::size_t N>
void ApplyEnum(std::string& target, std::string_view ident,
               const std::string_view (&values)[N]) {
  for (std::string_view v : values) {
    if (SameName(v, ident)) {
      target = std::string(v);
      return;
    }
  }
}

void ApplyBool(bool& target, std::string_view ident) {
  if (SameName(ident, "True")) {
    target = true;
  } else if (SameName(ident, "False")) {
    target = false;
  }
}

// Reads a value of `kind` for the simple kinds and returns what it read.
struct SimpleValue {
  std::int32_t number = 0;
  std::string_view ident;
  std::string text;
};

SimpleValue ReadSimple(Cursor& c, Kind kind) {
  std::uint8_t tag = c.U8();
  SimpleValue v;
  bool is_int = tag == kInt8 || tag == kInt16 || tag == kInt32;
  switch (kind) {
    case Kind::kInt:
      v.number = ReadIntPayload(c, tag);
      break;
    case Kind::kBool:
    case Kind::kEnum:
    case Kind::kIdent:
      v.ident = ReadIdentPayload(c, tag);
      break;
    case Kind::kIntOrIdent:
      if (is_int) {
        v.number = ReadIntPayload(c, tag);
      } else {
        v.ident = ReadIdentPayload(c, tag);
      }
      break;
    case Kind::kText:
      v.text = ReadTextPayload(c, tag);
      break;
    case Kind::kSet:
      if (tag != kSet) Fail(kInvalidPropertyValue);
      SkipValue(c, tag, 0);
      break;
    case Kind::kColumns:
    case Kind::kItems:
      Fail(kInvalidPropertyValue);
  }
  return v;
}

ListColumn ReadColumn(Cursor& c) {
  ListColumn column;
  for (std::string_view name = c.ShortString(); !name.empty();
       name = c.ShortString()) {
    const PropertyInfo* p = FindProperty(kColumnProperties, name);
    if (p == nullptr) FailMissing(name);
    if (SameName(p->name, "WidthType")) {
      // Written only for negative widths: a list holding the width.
      if (c.U8() != kList) Fail(kInvalidPropertyValue);
      column.width = ReadInt(c);
      if (c.U8() != kNull) Fail(kInvalidPropertyValue);
      continue;
    }
    SimpleValue v = ReadSimple(c, p->kind);
    if (SameName(p->name, "Caption")) column.caption = std::move(v.text);
    if (SameName(p->name, "Width")) column.width = v.number;
  }
  return column;
}

void ReadColumns(Cursor& c, FeedListControl& control) {
  if (c.U8() != kCollection) Fail(kInvalidPropertyValue);
  std::vector<ListColumn> columns;
  for (std::uint8_t tag = c.U8(); tag != kNull; tag = c.U8()) {
    if (tag == kInt8 || tag == kInt16 || tag == kInt32) {
      ReadIntPayload(c, tag);  // the item's index, not needed
      tag = c.U8();
    }
    if (tag != kList) Fail(kInvalidPropertyValue);
    columns.push_back(ReadColumn(c));
  }
  if (!columns.empty()) control.columns = std::move(columns);
}

// The entries of an item block. Every count is checked against the bytes
// left before anything is allocated for it.
std::vector<FeedEntry> ReadItemBlock(std::string_view block) {
  Cursor c(block);
  std::uint32_t size = c.U32();
  if (size > block.size()) Fail(kStreamReadError);
  c.Limit(size);
  std::int32_t count = c.I32();
  if (count < 0 ||
      static_cast<std::size_t>(count) > c.remaining() / kMinEntryRecord) {
    Fail(kStreamReadError);
  }
  std::vector<FeedEntry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    FeedEntry e;
    e.image_index = c.I32();
    e.state_index = c.I32();
    e.overlay_index = c.I32();
    std::int32_t field_count = c.I32();
    e.data = c.I32();
    e.name = std::string(c.ShortString());
    // Each field takes at least its length byte.
    if (field_count < 0 ||
        static_cast<std::size_t>(field_count) > c.remaining()) {
      Fail(kStreamReadError);
    }
    e.fields.reserve(static_cast<std::size_t>(field_count));
    for (std::int32_t k = 0; k < field_count; ++k)
      e.fields.emplace_back(c.ShortString());
    e.field_images.assign(e.fields.size(), -1);
    entries.push_back(std::move(e));
  }
  if (c.remaining() > 0) {
    for (FeedEntry& e : entries) {
      for (std::int16_t& image : e.field_images) image = c.I16();
    }
  }
  return entries;
}

void ReadProperty(Cursor& c, std::string_view name, FeedList& list,
                  FeedListControl& control) {
  const PropertyInfo* p = FindProperty(kProperties, name);
  if (p == nullptr) FailMissing(MissingPart(name));
  if (p->kind == Kind::kColumns) {
    ReadColumns(c, control);
    return;
  }
  if (p->kind == Kind::kItems) {
    if (c.U8() != kBinary) Fail(kInvalidPropertyValue);
    std::string_view block = c.Bytes(c.U32());
    // The list changes only when the whole block has been read, so a damaged
    // file cannot leave the feeds half-replaced.
    list.ReplaceAll(ReadItemBlock(block));
    return;
  }
  SimpleValue v = ReadSimple(c, p->kind);
  switch (p->slot) {
    case Slot::kNone:
      break;
    case Slot::kLeft:
      control.left = v.number;
      break;
    case Slot::kTop:
      control.top = v.number;
      break;
    case Slot::kWidth:
      control.width = v.number;
      break;
    case Slot::kHeight:
      control.height = v.number;
      break;
    case Slot::kTabOrder:
      control.tab_order = v.number;
      break;
    case Slot::kAlign:
      ApplyEnum(control.align, v.ident, kAlignValues);
      break;
    case Slot::kBevelInner:
      ApplyEnum(control.bevel_inner, v.ident, kBevelValues);
      break;
    case Slot::kBevelKind:
      ApplyEnum(control.bevel_kind, v.ident, kBevelKindValues);
      break;
    case Slot::kBorderStyle:
      ApplyEnum(control.border_style, v.ident, kBorderStyleValues);
      break;
    case Slot::kViewStyle:
      ApplyEnum(control.view_style, v.ident, kViewStyleValues);
      break;
    case Slot::kFullDrag:
      ApplyBool(control.full_drag, v.ident);
      break;
    case Slot::kReadOnly:
      ApplyBool(control.read_only, v.ident);
      break;
    case Slot::kRowSelect:
      ApplyBool(control.row_select, v.ident);
      break;
    case Slot::kShowWorkAreas:
      ApplyBool(control.show_work_areas, v.ident);
      break;
    case Slot::kVisible:
      ApplyBool(control.visible, v.ident);
      break;
  }
}

// Optional flags byte before an object's class name.
void SkipObjectFlags(Cursor& c) {
  if (c.Peek() >= 0xF0) {
    std::uint8_t flags = c.U8();
    if (flags & 2) ReadInt(c);  // the object's position among its siblings
  }
}

// Child objects are not ours to keep: stepped over whole.
void SkipObject(Cursor& c, int depth) {
  if (depth > kMaxDepth) Fail(kInvalidStreamFormat);
  SkipObjectFlags(c);
  c.ShortString();  // class
  c.ShortString();  // name
  while (!c.ShortString().empty()) SkipValue(c, c.U8(), 0);
  while (c.Peek() != 0) SkipObject(c, depth + 1);
  c.U8();
}

bool IsValidComponentName(std::string_view name) {
  auto letter = [](char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
  };
  if (name.empty()) return true;
  if (!letter(name[0])) return false;
  return std::all_of(name.begin(), name.end(), [&](char ch) {
    return letter(ch) || (ch >= '0' && ch <= '9');
  });
}

// How many suffixes are tried before a name counts as not free at all.
constexpr int kMaxNameSuffix = 100000;

std::string ObjectName(
    std::string_view stored,
    const std::function<bool(std::string_view)>& name_taken,
    const std::function<bool(std::string_view)>& component_exists) {
  if (!IsValidComponentName(stored)) {
    throw Error("''" + std::string(stored) +
                "'' is not a valid component name");
  }
  std::string name(stored);
  if (!name.empty() && name_taken && name_taken(name)) {
    int n = 1;
    for (; n <= kMaxNameSuffix; ++n) {
      std::string candidate = name + "_" + std::to_string(n);
      if (!name_taken(candidate)) {
        name = std::move(candidate);
        break;
      }
    }
    if (n > kMaxNameSuffix)
      throw Error("A component named " + name + " already exists");
  }
  if (!name.empty() && component_exists && component_exists(name)) {
    throw Error("A component named " + name + " already exists");
  }
  return name;
}

}  // namespace

std::string WriteFeedFile(const FeedList& list,
                          const FeedListControl& control) {
  Writer w;
  w.Raw(kSignature);
  w.ShortString("TListView");
  w.ShortString(control.name);
  auto name = [&w](std::string_view n) { w.ShortString(n); };
  name("Left");
  w.IntValue(control.left);
  name("Top");
  w.IntValue(control.top);
  name("Width");
  w.IntValue(control.width);
  name("Height");
  w.IntValue(control.height);
  name("Align");
  w.IdentValue(control.align);
  name("BevelInner");
  w.IdentValue(control.bevel_inner);
  name("BevelKind");
  w.IdentValue(control.bevel_kind);
  name("BorderStyle");
  w.IdentValue(control.border_style);
  name("Columns");
  WriteColumns(w, control.columns);
  name("FullDrag");
  w.BoolValue(control.full_drag);
  if (list.Count() > 0) {
    name("Items.Data");
    WriteItemBlock(w, list);
  }
  name("ReadOnly");
  w.BoolValue(control.read_only);
  name("RowSelect");
  w.BoolValue(control.row_select);
  name("ShowWorkAreas");
  w.BoolValue(control.show_work_areas);
  name("TabOrder");
  w.IntValue(control.tab_order);
  name("ViewStyle");
  w.IdentValue(control.view_style);
  name("Visible");
  w.BoolValue(control.visible);
  w.Byte(kNull);  // end of properties
  w.Byte(kNull);  // no child objects
  return std::move(w.out());
}

void ReadFeedFile(
    std::string_view bytes, FeedList& list, FeedListControl& control,
    const std::function<bool(std::string_view)>& name_taken,
    const std::function<bool(std::string_view)>& component_exists) {
  Cursor c(bytes);
  if (c.Bytes(4) != std::string_view(kSignature, 4)) Fail(kInvalidStreamFormat);
  SkipObjectFlags(c);
  c.ShortString();  // class name: the file always holds a list control
  control.name = ObjectName(c.ShortString(), name_taken, component_exists);

  for (std::string_view name = c.ShortString(); !name.empty();
       name = c.ShortString()) {
    try {
      ReadProperty(c, name, list, control);
    } catch (const Error& e) {
      std::string where = control.name.empty() ? "" : control.name + ".";
      throw Error("Error reading " + where + std::string(LastPart(name)) +
                  ": " + e.what());
    }
  }
  while (c.Peek() != 0) SkipObject(c, 1);
  c.U8();  // end of child objects
}

}  // namespace rivolet
