// The stored reading's clean-up passes: the tag table and the entity table,
// run by one replace-all engine over Windows-1250 (or still UTF-8) bytes.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <utility>

namespace rivolet {

// Which form of the table: kSingleByte for Windows-1250 text; kUtf8 for text
// that is still UTF-8 (byte steps left out, letter references insert UTF-8).
enum class TextForm { kSingleByte, kUtf8 };

// Deletes the 23 markup strings of the tag table; no trimming.
std::string StripTags(std::string_view text);

// Runs the entity table's 36 steps, then trims codes 0 to 32 at both ends.
std::string DecodeEntities(std::string_view text,
                           TextForm form = TextForm::kSingleByte);

// Rewrites an item date into the display form (month numbers between dots,
// first day name and first comma deleted).
std::string FormatItemDate(std::string_view date);

// The same passes on a text the caller hands over (a temporary or a moved
// string): the work is done in its own buffer, which saves copying a whole
// feed document. Chosen automatically for DecodeEntities(StripTags(text)).
std::string StripTagsOwned(std::string text);
std::string DecodeEntitiesOwned(std::string text, TextForm form);

template <typename Text>
requires std::same_as<Text, std::string> std::string StripTags(Text&& text) {
  return StripTagsOwned(std::move(text));
}

template <typename Text>
requires std::same_as<Text, std::string> std::string DecodeEntities(
    Text&& text, TextForm form = TextForm::kSingleByte) {
  return DecodeEntitiesOwned(std::move(text), form);
}

}  // namespace rivolet
