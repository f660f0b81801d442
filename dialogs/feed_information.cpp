// The Feed information dialog's rule.
#include "dialogs/feed_information.h"

#include "common/links.h"

namespace rivolet {

bool ShouldOpenTitleLink(std::string_view link) {
  return link.size() > 5 && IsWebLink(link);
}

}  // namespace rivolet
