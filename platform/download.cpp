// Downloads for the windows.
#include "platform/download.h"

namespace rivolet {

std::string DownloadWhilePainting(HttpClient& client, std::string_view url) {
  return HttpGetText(client, url);
}

}  // namespace rivolet
