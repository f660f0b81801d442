// Resolving relative addresses: the examples of RFC 3986, section 5.4.
#include "common/uri.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

TEST(ResolveReference, TheStandardsExamples) {
  const char* base = "http://a/b/c/d;p?q";
  const std::pair<const char*, const char*> cases[] = {
      {"g:h", "g:h"},
      {"g", "http://a/b/c/g"},
      {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},
      {"//g", "http://g"},
      {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},
      {"#s", "http://a/b/c/d;p?q#s"},
      {"g#s", "http://a/b/c/g#s"},
      {"g?y#s", "http://a/b/c/g?y#s"},
      {";x", "http://a/b/c/;x"},
      {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},
      {"./", "http://a/b/c/"},
      {"..", "http://a/b/"},
      {"../g", "http://a/b/g"},
      {"../..", "http://a/"},
      {"../../g", "http://a/g"},
      {"../../../g", "http://a/g"},
      {"../../../../g", "http://a/g"},
      {"/./g", "http://a/g"},
      {"/../g", "http://a/g"},
      {"g.", "http://a/b/c/g."},
      {".g", "http://a/b/c/.g"},
      {"g..", "http://a/b/c/g.."},
      {"..g", "http://a/b/c/..g"},
      {"./../g", "http://a/b/g"},
      {"./g/.", "http://a/b/c/g/"},
      {"g/./h", "http://a/b/c/g/h"},
      {"g/../h", "http://a/b/c/h"},
      {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
      {"g;x=1/../y", "http://a/b/c/y"},
      {"g?y/./x", "http://a/b/c/g?y/./x"},
      {"g#s/../x", "http://a/b/c/g#s/../x"},
      {"http:g", "http:g"},
      {"a b:c", "http://a/b/c/a b:c"},  // no well-formed scheme
  };
  for (const auto& [reference, target] : cases) {
    EXPECT_EQ(ResolveReference(base, reference), target) << reference;
  }
  // A base with a host and no path; no base at all.
  EXPECT_EQ(ResolveReference("http://h", "x"), "http://h/x");
  EXPECT_EQ(ResolveReference("http://h?q", "g"), "http://h/g");
  EXPECT_EQ(ResolveReference("", "/x"), std::nullopt);
  EXPECT_EQ(ResolveReference("/relative/base", "x"), std::nullopt);
  EXPECT_EQ(ResolveReference("", "https://h/a/../b"), "https://h/b");
}

}  // namespace
}  // namespace rivolet
