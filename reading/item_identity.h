// Which item of a feed is which, from one reading to the next: the key the
// reading store keeps an item's read mark and first sighting under.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "reader/shown_feed.h"

namespace rivolet {

// An identity longer than this is kept as a hash of it, so that a feed
// cannot make the store hold huge keys.
inline constexpr std::size_t kMaxItemIdentitySize = 512;

// The item's Atom id or RSS guid; else its link; else a hash of its title
// and date ("#" and 16 hexadecimal digits). Items that have none of them
// share one identity.
std::string ItemIdentity(const ShownItem& item);

// The identities of a reading's rows, in row order.
std::vector<std::string> ItemIdentities(const ShownFeed& feed);

}  // namespace rivolet
