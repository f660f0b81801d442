// What the HTTP tests share: the error text a download ends with.
#pragma once

#include <string>

#include "common/error.h"
#include "net/http_client.h"

namespace rivolet::testing {

// The text of the error `client.Get(url)` fails with, or "(no error)".
inline std::string ErrorOf(HttpClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace rivolet::testing
