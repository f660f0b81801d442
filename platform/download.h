// The one way a window downloads: the body of a URL as text, fetched with the
// window's own client.
#pragma once

#include <string>
#include <string_view>

#include "net/http_client.h"

namespace rivolet {

// Downloads `url` with `client` and returns the body; throws the client's
// Error on any failure.
std::string DownloadWhilePainting(HttpClient& client, std::string_view url);

}  // namespace rivolet
