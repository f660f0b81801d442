// When the Feed information dialog opens the channel title.
#include "dialogs/feed_information.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

TEST(ShouldOpenTitleLinkTest, OnlyAbsoluteWebLinks) {
  EXPECT_TRUE(ShouldOpenTitleLink("https://example.org/a?b=c"));
  EXPECT_TRUE(ShouldOpenTitleLink("http://example.org"));
  for (const char* link :
       {"", "http:", "http://", "https://", "file:///etc/passwd", "/etc/passwd",
        "javascript:alert(1)", "example.org/page", "ftp://example.org/"}) {
    EXPECT_FALSE(ShouldOpenTitleLink(link)) << link;
  }
}

}  // namespace
}  // namespace rivolet
