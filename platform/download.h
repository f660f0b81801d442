// The one way a window downloads. The download runs on a worker thread while
// the window's thread waits in a local event loop that keeps every window
// painting but takes no keyboard or mouse input (input that arrives meanwhile
// is delivered afterwards, as if the window had been busy), so no other
// handler runs and no second download starts. The pointer shows busy.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "net/http_client.h"

namespace rivolet {

// Downloads `url` with `client` (its cookies and settings) and returns the
// body. Throws the client's Error on any failure, and ActionAbandoned when
// the download was given up for a close request or a termination signal.
std::string DownloadWhilePainting(HttpClient& client, std::string_view url);

// True while the window's thread waits for a download.
bool DownloadInProgress();

// Gives up the download being waited for, at once (a close request or a
// termination signal): its DownloadWhilePainting throws ActionAbandoned.
void AbandonDownload();

// Runs `action` now when no download is being waited for, otherwise as soon
// as the current one has ended (a timer tick that falls due meanwhile).
void AfterDownload(std::function<void()> action);

// Downloads given up whose worker thread has not finished yet; the program
// must not run its exit handlers under such a thread.
int AbandonedWorkers();

}  // namespace rivolet
