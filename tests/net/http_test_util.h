// What the HTTP tests share: the error text a download ends with.
#pragma once

#include <string>

#include "common/error.h"
#include "net/http_client.h"
#include "tests/support/error_text.h"

namespace rivolet::testing {

// The text of the error `client.Get(url)` fails with, or "(no error)".
inline std::string ErrorOf(HttpClient& client, const std::string& url) {
  const std::string text = ErrorText([&] { client.Get(url); });
  return text.empty() ? "(no error)" : text;
}

}  // namespace rivolet::testing
