// Reading and writing of the feed list file: the list control's property
// table, its columns, and the binary item block that carries the feeds. The
// value encoding itself is the object stream's (object_stream.h).
#include "feeds/feed_stream.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "common/ascii.h"
#include "common/error.h"
#include "feeds/object_stream.h"

namespace rivolet {
namespace {

constexpr char kSignature[] = "TPF0";
constexpr std::int32_t kDefaultColumnWidth = 50;
// The smallest entry record: five 32-bit values and an empty name.
constexpr std::size_t kMinEntryRecord = 21;

// ---------------------------------------------------------------- writing

std::size_t StoredLength(const std::string& s) {
  return std::min(s.size(), kMaxShortString);
}

std::int16_t FieldImage(const FeedEntry& e, std::size_t k) {
  return k < e.field_images.size() ? e.field_images[k] : std::int16_t{-1};
}

void WriteItemBlock(ObjectWriter& w, const FeedList& list) {
  std::uint64_t size = 8;
  for (const FeedEntry& e : list.entries()) {
    size += kMinEntryRecord + StoredLength(e.name);
    for (const std::string& f : e.fields) size += 1 + StoredLength(f) + 2;
  }
  if (size >
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    throw Error("The feed list is too large to be saved");
  }
  w.Byte(kTagBinary);
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

void WriteColumns(ObjectWriter& w, const std::vector<ListColumn>& columns) {
  w.Byte(kTagCollection);
  for (const ListColumn& c : columns) {
    w.Byte(kTagList);
    if (!c.caption.empty()) {
      w.ShortString("Caption");
      w.TextValue(c.caption);
    }
    if (c.width < 0) {
      w.ShortString("WidthType");
      w.Byte(kTagList);
      w.IntValue(c.width);
      w.Byte(kTagNull);
    } else if (c.width != kDefaultColumnWidth) {
      w.ShortString("Width");
      w.IntValue(c.width);
    }
    w.Byte(kTagNull);
  }
  w.Byte(kTagNull);
}

// ---------------------------------------------------------------- reading

// What a property accepts.
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

// A value of one of the simple kinds, as read.
struct SimpleValue {
  std::int32_t number = 0;
  std::string_view ident;
  std::string text;
};

// Puts a value read into the list control; null for properties that are
// only checked for their kind.
using ApplyValue = void (*)(FeedListControl&, const SimpleValue&);

struct PropertyInfo {
  std::string_view name;
  Kind kind;
  ApplyValue apply = nullptr;
};

constexpr std::string_view kAlignValues[] = {
    "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
constexpr std::string_view kBevelValues[] = {"bvNone", "bvLowered", "bvRaised",
                                             "bvSpace"};
constexpr std::string_view kBevelKindValues[] = {"bkNone", "bkTile", "bkSoft",
                                                 "bkFlat"};
constexpr std::string_view kBorderStyleValues[] = {"bsNone", "bsSingle"};
constexpr std::string_view kViewStyleValues[] = {"vsIcon", "vsSmallIcon",
                                                 "vsList", "vsReport"};

template <std::int32_t FeedListControl::*member>
void SetInt(FeedListControl& control, const SimpleValue& v) {
  control.*member = v.number;
}

// An identifier that names neither True nor False leaves the property as it
// was.
template <bool FeedListControl::*member>
void SetBool(FeedListControl& control, const SimpleValue& v) {
  if (EqualsIgnoreCase(v.ident, "True")) {
    control.*member = true;
  } else if (EqualsIgnoreCase(v.ident, "False")) {
    control.*member = false;
  }
}

// Likewise an identifier that names no value of the enumeration.
template <std::string FeedListControl::*member, const auto& values>
void SetEnum(FeedListControl& control, const SimpleValue& v) {
  for (std::string_view value : values) {
    if (EqualsIgnoreCase(value, v.ident)) {
      control.*member = std::string(value);
      return;
    }
  }
}

using C = FeedListControl;

// The list control's properties. Those of the saved layout are applied; the
// rest are checked for their kind and otherwise ignored.
constexpr PropertyInfo kProperties[] = {
    {"Left", Kind::kInt, &SetInt<&C::left>},
    {"Top", Kind::kInt, &SetInt<&C::top>},
    {"Width", Kind::kInt, &SetInt<&C::width>},
    {"Height", Kind::kInt, &SetInt<&C::height>},
    {"TabOrder", Kind::kInt, &SetInt<&C::tab_order>},
    {"Align", Kind::kEnum, &SetEnum<&C::align, kAlignValues>},
    {"BevelInner", Kind::kEnum, &SetEnum<&C::bevel_inner, kBevelValues>},
    {"BevelKind", Kind::kEnum, &SetEnum<&C::bevel_kind, kBevelKindValues>},
    {"BorderStyle", Kind::kEnum,
     &SetEnum<&C::border_style, kBorderStyleValues>},
    {"ViewStyle", Kind::kEnum, &SetEnum<&C::view_style, kViewStyleValues>},
    {"FullDrag", Kind::kBool, &SetBool<&C::full_drag>},
    {"ReadOnly", Kind::kBool, &SetBool<&C::read_only>},
    {"RowSelect", Kind::kBool, &SetBool<&C::row_select>},
    {"ShowWorkAreas", Kind::kBool, &SetBool<&C::show_work_areas>},
    {"Visible", Kind::kBool, &SetBool<&C::visible>},
    {"Columns", Kind::kColumns},
    {"Items.Data", Kind::kItems},
};

// Properties a list control has besides those of the saved layout: checked
// for their kind and otherwise ignored.
struct OtherProperties {
  Kind kind;
  std::string_view names;  // separated by blanks
};
constexpr OtherProperties kOtherProperties[] = {
    {Kind::kInt,
     "AllocBy BorderWidth HelpContext HoverTime Tag "
     "Constraints.MaxHeight Constraints.MaxWidth "
     "Constraints.MinHeight Constraints.MinWidth Font.Height "
     "Font.Size"},
    {Kind::kBool,
     "Checkboxes ColumnClick Ctl3D DoubleBuffered Enabled "
     "FlatScrollBars GridLines GroupView HideSelection HotTrack "
     "IconOptions.AutoArrange IconOptions.WrapText MultiSelect "
     "OwnerData OwnerDraw ParentBiDiMode ParentColor "
     "ParentDoubleBuffered ParentFont ParentShowHint "
     "ShowColumnHeaders ShowHint TabStop"},
    {Kind::kIdent,
     "BevelOuter BiDiMode DragKind DragMode Font.Pitch HelpType "
     "IconOptions.Arrangement SortType LargeImages SmallImages "
     "StateImages PopupMenu OnChange OnChanging OnClick "
     "OnColumnClick OnCompare OnContextPopup OnCustomDraw "
     "OnCustomDrawItem OnCustomDrawSubItem OnData OnDblClick "
     "OnDeletion OnDragDrop OnDragOver OnEdited OnEditing OnEndDrag "
     "OnEnter OnExit OnInsert OnKeyDown OnKeyPress OnKeyUp "
     "OnMouseDown OnMouseMove OnMouseUp OnResize OnSelectItem "
     "OnStartDrag"},
    {Kind::kIntOrIdent, "Color Cursor DragCursor Font.Charset Font.Color"},
    {Kind::kText, "Font.Name HelpKeyword Hint"},
    {Kind::kSet, "Anchors BevelEdges Font.Style HotTrackStyles"},
};

// A column item's properties.
constexpr PropertyInfo kColumnProperties[] = {
    {"Caption", Kind::kText},  {"Width", Kind::kInt},
    {"WidthType", Kind::kInt}, {"Alignment", Kind::kIdent},
    {"AutoSize", Kind::kBool}, {"ImageIndex", Kind::kInt},
    {"MaxWidth", Kind::kInt},  {"MinWidth", Kind::kInt},
    {"Tag", Kind::kInt},
};

std::vector<std::string_view> Names(const OtherProperties& group) {
  std::vector<std::string_view> names;
  std::string_view rest = group.names;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    names.push_back(rest.substr(0, blank));
    rest = blank == std::string_view::npos ? "" : rest.substr(blank + 1);
  }
  return names;
}

template <std::size_t N>
std::optional<PropertyInfo> FindIn(const PropertyInfo (&table)[N],
                                   std::string_view name) {
  for (const PropertyInfo& p : table) {
    if (EqualsIgnoreCase(p.name, name)) return p;
  }
  return std::nullopt;
}

std::optional<PropertyInfo> FindProperty(std::string_view name) {
  if (auto p = FindIn(kProperties, name)) return p;
  for (const OtherProperties& group : kOtherProperties) {
    for (std::string_view other : Names(group)) {
      if (EqualsIgnoreCase(other, name)) return PropertyInfo{other, group.kind};
    }
  }
  return std::nullopt;
}

// Every property name the list control has, for the dotted-path check.
template <typename Visit>
bool AnyPropertyName(Visit&& visit) {
  for (const PropertyInfo& p : kProperties) {
    if (visit(p.name)) return true;
  }
  for (const OtherProperties& group : kOtherProperties) {
    for (std::string_view name : Names(group)) {
      if (visit(name)) return true;
    }
  }
  return false;
}

// True when `path` names an object that holds properties ("Font" of
// "Font.Name").
bool IsObjectPath(std::string_view path) {
  return AnyPropertyName([path](std::string_view name) {
    return name.size() > path.size() && name[path.size()] == '.' &&
           EqualsIgnoreCase(name.substr(0, path.size()), path);
  });
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

// Reads a value of `kind` for the simple kinds and returns what it read.
SimpleValue ReadSimple(ObjectCursor& c, Kind kind) {
  std::uint8_t tag = c.U8();
  SimpleValue v;
  const bool is_int = IsIntTag(tag);
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
      if (tag != kTagSet) FailStream(kInvalidPropertyValue);
      SkipValue(c, tag, 0);
      break;
    case Kind::kColumns:
    case Kind::kItems:
      FailStream(kInvalidPropertyValue);
  }
  return v;
}

ListColumn ReadColumn(ObjectCursor& c) {
  ListColumn column;
  for (std::string_view name = c.ShortString(); !name.empty();
       name = c.ShortString()) {
    const std::optional<PropertyInfo> p = FindIn(kColumnProperties, name);
    if (!p) FailMissing(name);
    if (EqualsIgnoreCase(p->name, "WidthType")) {
      // Written only for negative widths: a list holding the width.
      if (c.U8() != kTagList) FailStream(kInvalidPropertyValue);
      column.width = ReadInt(c);
      if (c.U8() != kTagNull) FailStream(kInvalidPropertyValue);
      continue;
    }
    SimpleValue v = ReadSimple(c, p->kind);
    if (EqualsIgnoreCase(p->name, "Caption"))
      column.caption = std::move(v.text);
    if (EqualsIgnoreCase(p->name, "Width")) column.width = v.number;
  }
  return column;
}

void ReadColumns(ObjectCursor& c, FeedListControl& control) {
  if (c.U8() != kTagCollection) FailStream(kInvalidPropertyValue);
  std::vector<ListColumn> columns;
  for (std::uint8_t tag = c.U8(); tag != kTagNull; tag = c.U8()) {
    if (IsIntTag(tag)) {
      ReadIntPayload(c, tag);  // the item's index, not needed
      tag = c.U8();
    }
    if (tag != kTagList) FailStream(kInvalidPropertyValue);
    columns.push_back(ReadColumn(c));
  }
  if (!columns.empty()) control.columns = std::move(columns);
}

// The entries of an item block. Every count is checked against the bytes
// left before anything is allocated for it.
std::vector<FeedEntry> ReadItemBlock(std::string_view block) {
  ObjectCursor c(block);
  std::uint32_t size = c.U32();
  if (size > block.size()) FailStream(kStreamReadError);
  c.Limit(size);
  std::int32_t count = c.I32();
  if (count < 0 ||
      static_cast<std::size_t>(count) > c.remaining() / kMinEntryRecord) {
    FailStream(kStreamReadError);
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
      FailStream(kStreamReadError);
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

void ReadProperty(ObjectCursor& c, std::string_view name, FeedList& list,
                  FeedListControl& control) {
  const std::optional<PropertyInfo> p = FindProperty(name);
  if (!p) FailMissing(MissingPart(name));
  if (p->kind == Kind::kColumns) {
    ReadColumns(c, control);
    return;
  }
  if (p->kind == Kind::kItems) {
    if (c.U8() != kTagBinary) FailStream(kInvalidPropertyValue);
    std::string_view block = c.Bytes(c.U32());
    // The list changes only when the whole block has been read, so a damaged
    // file cannot leave the feeds half-replaced.
    list.ReplaceAll(ReadItemBlock(block));
    return;
  }
  const SimpleValue v = ReadSimple(c, p->kind);
  if (p->apply != nullptr) p->apply(control, v);
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
  ObjectWriter w;
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
  w.Byte(kTagNull);  // end of properties
  w.Byte(kTagNull);  // no child objects
  return std::move(w.out());
}

void ReadFeedFile(
    std::string_view bytes, FeedList& list, FeedListControl& control,
    const std::function<bool(std::string_view)>& name_taken,
    const std::function<bool(std::string_view)>& component_exists) {
  ObjectCursor c(bytes);
  if (c.Bytes(4) != std::string_view(kSignature, 4))
    FailStream(kInvalidStreamFormat);
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
