// INI text search and single-line rewriting, and the settings file on disk.
#include "settings/ini_file.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "common/ascii.h"
#include "common/error.h"
#include "common/file_io.h"
#include "common/lines.h"
#include "common/text.h"

namespace rivolet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
};

ParsedLine ParseLine(std::string_view content) {
  ParsedLine parsed;
  const std::string_view text = TrimSpacesAndTabs(content);
  if (text.empty() || text[0] == ';') return parsed;
  if (text[0] == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      parsed.kind = LineKind::kSection;
      parsed.name = TrimSpacesAndTabs(text.substr(1, close - 1));
    }
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.name = TrimSpacesAndTabs(text.substr(0, equals));
  if (parsed.name.empty()) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.value = TrimSpacesAndTabs(text.substr(equals + 1));
  return parsed;
}

// Where a key is, or where it would go.
struct Place {
  std::optional<Line> key_line;  // the key's own line
  ParsedLine key;                // its parsed form
  std::optional<Line> anchor;    // last key line (or header) of the first
                                 // section of that name
};

Place Locate(std::string_view text, std::string_view section,
             std::string_view key) {
  Place place;
  LineCursor cursor(text);
  Line line;
  bool in_section = false;
  bool in_first_section = false;
  bool first = true;
  while (cursor.Next(line)) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (first && content.starts_with(kByteOrderMark)) {
      content.remove_prefix(kByteOrderMark.size());
    }
    first = false;
    const ParsedLine parsed = ParseLine(content);
    if (parsed.kind == LineKind::kSection) {
      in_section = EqualsIgnoreCase(parsed.name, section);
      in_first_section = in_section && !place.anchor;
      if (in_first_section) place.anchor = line;
    } else if (parsed.kind == LineKind::kKey && in_section) {
      if (EqualsIgnoreCase(parsed.name, key)) {
        place.key_line = line;
        place.key = parsed;
        return place;
      }
      if (in_first_section) place.anchor = line;
    }
  }
  return place;
}

std::string_view FirstLineEnding(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (text[at] == '\n') return "\n";
  return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool HasOuterBlanks(std::string_view text) {
  return !text.empty() && TrimSpacesAndTabs(text).size() != text.size();
}

void CheckStorable(std::string_view section, std::string_view key,
                   std::string_view value) {
  const bool bad_section = section.empty() || HasLineBreak(section) ||
                           HasOuterBlanks(section) ||
                           section.find(']') != std::string_view::npos;
  const bool bad_key =
      key.empty() || HasLineBreak(key) || HasOuterBlanks(key) ||
      key.find('=') != std::string_view::npos || key[0] == '[' || key[0] == ';';
  const bool bad_value = HasLineBreak(value) || HasOuterBlanks(value);
  if (bad_section || bad_key || bad_value) {
    throw std::invalid_argument("not storable in a settings file");
  }
}

}  // namespace

std::optional<std::string> GetIniValue(std::string_view file_text,
                                       std::string_view section,
                                       std::string_view key) {
  const Place place = Locate(file_text, section, key);
  if (!place.key_line) return std::nullopt;
  return std::string(place.key.value);
}

std::string SetIniValue(std::string_view file_text, std::string_view section,
                        std::string_view key, std::string_view value) {
  CheckStorable(section, key, value);
  const Place place = Locate(file_text, section, key);
  std::string out;
  out.reserve(file_text.size() + section.size() + key.size() + value.size() +
              8);
  if (place.key_line) {
    out.append(file_text.substr(0, place.key_line->begin));
    out.append(place.key.name).append("=").append(value);
    out.append(file_text.substr(place.key_line->end));
    return out;
  }
  const std::string_view ending = FirstLineEnding(file_text);
  if (place.anchor) {
    const Line& anchor = *place.anchor;
    if (anchor.next == anchor.end) {  // the last line, without an ending
      out.append(file_text).append(ending);
      out.append(key).append("=").append(value);
    } else {
      out.append(file_text.substr(0, anchor.next));
      out.append(key).append("=").append(value);
      out.append(file_text.substr(anchor.end, anchor.next - anchor.end));
      out.append(file_text.substr(anchor.next));
    }
    return out;
  }
  out.append(file_text);
  if (!out.empty() && out.back() != '\r' && out.back() != '\n') {
    out.append(ending);
  }
  out.append("[").append(section).append("]").append(ending);
  out.append(key).append("=").append(value).append(ending);
  return out;
}

namespace {

enum class FileState { kMissing, kRead, kUnreadable };

FileState LoadText(const std::filesystem::path& path, std::string& text) {
  std::error_code error;
  const auto type = std::filesystem::status(path, error).type();
  if (type == std::filesystem::file_type::not_found) return FileState::kMissing;
  if (error) return FileState::kUnreadable;
  try {
    text = ReadWholeFile(path, kMaxIniFileSize);
  } catch (const Error&) {
    return FileState::kUnreadable;
  }
  return FileState::kRead;
}

}  // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::ReadString(std::string_view section,
                                               std::string_view key) const {
  std::string text;
  if (LoadText(path_, text) != FileState::kRead) return std::nullopt;
  return GetIniValue(text, section, key);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key,
                         int default_value) const {
  const std::optional<std::string> value = ReadString(section, key);
  if (!value) return default_value;
  return TryStrToInt(*value).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key,
                       bool default_value) const {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) {
  const Error failure("Unable to write to " + path_.string());
  std::string text;
  // A file we cannot read is not ours to overwrite with a blank one.
  if (LoadText(path_, text) == FileState::kUnreadable) throw failure;
  const std::string updated = SetIniValue(text, section, key, value);
  if (updated.size() > kMaxIniFileSize) throw failure;
  try {
    WriteFileAtomically(path_, updated);
  } catch (const Error&) {
    throw failure;
  }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key,
                           int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key,
                        bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace rivolet
