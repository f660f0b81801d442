// The clean-up passes: the tag table, the entity table with its dialog
// variants and UTF-8 form, and the rewriting of item dates.
#include "reader/stored_cleanup.h"

#include "common/text.h"
#include "reader/stored_cleanup_tables.h"

namespace rivolet {
namespace {

// Markup deleted from feed text. Escaped angle brackets are deleted rather
// than decoded so that the words of escaped markup survive.
const char* const kTagTable[] = {
    "<table>", "</table>", "<tr>", "</tr>",     "<td>",      "</td>",
    "<b>",     "</b>",     "<B>",  "</B>",      "&lt;B&gt;", "&lt;/B&gt;",
    "<p>",     "</p>",     "<i>",  "</i>",      "<u>",       "</u>",
    "<br />",  "&lt;",     "&gt;", "<![CDATA[", "]]>",
};

struct EntityStep {
  const char* from;
  const char* to;        // Windows-1250 replacement
  char32_t letter;       // Polish letter written as a reference, else 0
  bool iso_8859_2_byte;  // repairs an ISO-8859-2 byte
};

// Numbered from 1 in the comments; the dialogs' variants are stated by these
// numbers.
const EntityStep kEntityTable[] = {
    {"\xA1", "\xA5", 0, true},         // 1  Ą
    {"\xA6", "\x8C", 0, true},         // 2  Ś
    {"\xAC", "\x8F", 0, true},         // 3  Ź
    {"&#260;", "\xA5", 0x104, false},  // 4  Ą
    {"&#262;", "\xC6", 0x106, false},  // 5  Ć
    {"&#280;", "\xCA", 0x118, false},  // 6  Ę
    {"&#321;", "\xA3", 0x141, false},  // 7  Ł
    {"&#323;", "\xD1", 0x143, false},  // 8  Ń
    {"&#211;", "\xD3", 0xD3, false},   // 9  Ó
    {"&#346;", "\x8C", 0x15A, false},  // 10 Ś
    {"&#377;", "\x8F", 0x179, false},  // 11 Ź
    {"&#379;", "\xAF", 0x17B, false},  // 12 Ż
    {"&#322;", "\xB3", 0x142, false},  // 13 ł
    {"&#261;", "\xB9", 0x105, false},  // 14 ą
    {"&#380;", "\xBF", 0x17C, false},  // 15 ż
    {"&#263;", "\xE6", 0x107, false},  // 16 ć
    {"&#281;", "\xEA", 0x119, false},  // 17 ę
    {"&#378;", "\x9F", 0x17A, false},  // 18 ź
    {"&#324;", "\xF1", 0x144, false},  // 19 ń
    {"&#243;", "\xF3", 0xF3, false},   // 20 ó
    {"&#347;", "\x9C", 0x15B, false},  // 21 ś
    {"\xB6", "\x9C", 0, true},         // 22 ś
    {"\xB1", "\xB9", 0, true},         // 23 ą
    {"\xBC", "\x9F", 0, true},         // 24 ź
    {"&amp;", "&", 0, false},          // 25
    {"&#8211;", "-", 0, false},        // 26 en dash
    {"&quot;", "\"", 0, false},        // 27
    {"&#34;", "\"", 0, false},         // 28
    {"&#8221;", "\"", 0, false},       // 29
    {"&#8222;", "\"", 0, false},       // 30
    {"&#8220;", "\"", 0, false},       // 31
    {"&#8216;", "'", 0, false},        // 32
    {"&#8217;", "'", 0, false},        // 33
    {"&#9632;", "", 0, false},         // 34
    {"&#13;", "", 0, false},           // 35
    {"&apos;", "'", 0, false},         // 36
};

std::string Utf8Of(char32_t letter) {
  // Every letter of the table lies below U+0800.
  return {static_cast<char>(0xC0 | (letter >> 6)),
          static_cast<char>(0x80 | (letter & 0x3F))};
}

StepTable MakeEntitySteps(TextForm form) {
  std::vector<Step> steps;
  for (const EntityStep& entry : kEntityTable) {
    if (form == TextForm::kUtf8) {
      // In UTF-8 text these bytes are continuation bytes, not ISO-8859-2
      // letters, and a reference must become the letter's UTF-8 bytes.
      if (entry.iso_8859_2_byte) continue;
      if (entry.letter != 0) {
        steps.push_back({entry.from, Utf8Of(entry.letter)});
        continue;
      }
    }
    steps.push_back({entry.from, entry.to});
  }
  return StepTable(std::move(steps));
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDayNamesAndComma[] = {"Mon", "Tue", "Wed", "Thu",
                                         "Fri", "Sat", "Sun", ","};

}  // namespace

const StepTable& TagSteps() {
  static const StepTable table = [] {
    std::vector<Step> steps;
    for (const char* tag : kTagTable) steps.push_back({tag, ""});
    return StepTable(std::move(steps));
  }();
  return table;
}

const StepTable& EntitySteps(TextForm form) {
  static const StepTable single_byte = MakeEntitySteps(TextForm::kSingleByte);
  static const StepTable utf8 = MakeEntitySteps(TextForm::kUtf8);
  return form == TextForm::kUtf8 ? utf8 : single_byte;
}

std::vector<const StepTable*> AllStepTables() {
  return {&TagSteps(), &MonthSteps(), &EntitySteps(TextForm::kSingleByte),
          &EntitySteps(TextForm::kUtf8)};
}

const StepTable& MonthSteps() {
  static const StepTable table = [] {
    std::vector<Step> steps;
    int number = 0;
    for (const char* month : kMonths) {
      ++number;
      std::string digits =
          number < 10 ? "0" + std::to_string(number) : std::to_string(number);
      steps.push_back({std::string(" ") + month + " ", "." + digits + "."});
    }
    return StepTable(std::move(steps));
  }();
  return table;
}

std::string StripTags(std::string_view text) {
  return StripTagsOwned(std::string(text));
}

std::string StripTagsOwned(std::string text) {
  TagSteps().ApplyInPlace(text);
  return text;
}

std::string DecodeEntities(std::string_view text, TextForm form) {
  return DecodeEntitiesOwned(std::string(text), form);
}

std::string DecodeEntitiesOwned(std::string text, TextForm form) {
  EntitySteps(form).ApplyInPlace(text);
  std::size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  text.resize(end);
  std::size_t begin = 0;
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  text.erase(0, begin);
  return text;
}

std::string FormatItemDate(std::string_view date) {
  std::string result = MonthSteps().Apply(date);
  for (std::string_view name : kDayNamesAndComma) {
    const std::size_t at = Pos(name, result);
    if (at != 0) {
      Delete(result, static_cast<std::int64_t>(at),
             static_cast<std::int64_t>(name.size()));
    }
  }
  return result;
}

}  // namespace rivolet
