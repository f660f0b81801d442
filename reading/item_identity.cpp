// Item identities.
#include "reading/item_identity.h"

#include <cstdint>
#include <string_view>

namespace rivolet {
namespace {

// FNV-1a, 64 bits: the same text gives the same key in every run and on
// every machine, which std::hash does not promise.
std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash) {
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3u;
  }
  return hash;
}

constexpr std::uint64_t kFnvBasis = 0xCBF29CE484222325u;

std::string HashKey(std::uint64_t hash) {
  static const char kHex[] = "0123456789abcdef";
  std::string key = "#";
  for (int shift = 60; shift >= 0; shift -= 4)
    key += kHex[(hash >> shift) & 0xF];
  return key;
}

}  // namespace

std::string ItemIdentity(const ShownItem& item) {
  const std::string& named = !item.id.empty() ? item.id : item.link;
  if (!named.empty()) {
    return named.size() <= kMaxItemIdentitySize
               ? named
               : HashKey(Fnv1a(named, kFnvBasis));
  }
  // The line break keeps "ab" + "c" apart from "a" + "bc".
  return HashKey(Fnv1a(item.date, Fnv1a("\n", Fnv1a(item.title, kFnvBasis))));
}

std::vector<std::string> ItemIdentities(const ShownFeed& feed) {
  std::vector<std::string> identities;
  identities.reserve(feed.items.size());
  for (const ShownItem& item : feed.items)
    identities.push_back(ItemIdentity(item));
  return identities;
}

}  // namespace rivolet
