// feedlist: shows a feed list file (feeds.che), adds a feed to it, or moves
// its feeds in and out as OPML, so that a list can be made and checked
// without the program's windows.
//
//   feedlist show FILE
//   feedlist add FILE NAME CATEGORY PERIOD URL
//   feedlist import-opml FILE OPML [PERIOD]
//   feedlist export-opml FILE OPML
//
// Texts on the command line and on the screen are UTF-8; the file holds
// Windows-1250. A missing FILE counts as an empty list for "add" and
// "import-opml"; "import-opml" prints how many feeds it added and how many
// were already in the list, and gives feeds without a period of our own
// PERIOD (60 when not given).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/codepage.h"
#include "common/error.h"
#include "common/file_io.h"
#include "dialogs/new_feed.h"
#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "feeds/opml.h"

namespace {

int Usage() {
  std::fputs(
      "usage: feedlist show FILE\n"
      "       feedlist add FILE NAME CATEGORY PERIOD URL\n"
      "       feedlist import-opml FILE OPML [PERIOD]\n"
      "       feedlist export-opml FILE OPML\n",
      stderr);
  return 2;
}

std::string FromTerminal(std::string_view text) {
  std::string converted = rivolet::Utf8ToCp1250(text);
  if (converted.empty() && !text.empty()) {
    throw rivolet::Error("Not a UTF-8 text: " + std::string(text));
  }
  return converted;
}

void Load(const std::filesystem::path& file, rivolet::FeedList& list,
          rivolet::FeedListControl& control) {
  rivolet::ReadFeedFile(rivolet::ReadWholeFile(file), list, control);
}

int Show(const std::filesystem::path& file) {
  rivolet::FeedList list;
  rivolet::FeedListControl control;
  Load(file, list, control);
  for (const rivolet::FeedEntry& entry : list.entries()) {
    std::string line = rivolet::Cp1250ToUtf8(entry.name);
    for (const std::string& field : entry.fields) {
      line += '\t' + rivolet::Cp1250ToUtf8(field);
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

void LoadIfThere(const std::filesystem::path& file, rivolet::FeedList& list,
                 rivolet::FeedListControl& control) {
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) Load(file, list, control);
}

int Add(const std::filesystem::path& file, char** fields) {
  rivolet::FeedList list;
  rivolet::FeedListControl control;
  LoadIfThere(file, list, control);
  list.Append(FromTerminal(fields[0]), FromTerminal(fields[1]),
              FromTerminal(fields[2]), FromTerminal(fields[3]));
  rivolet::WriteFileAtomically(file, rivolet::WriteFeedFile(list, control));
  return 0;
}

int ImportOpml(const std::filesystem::path& file,
               const std::filesystem::path& opml, std::string_view period) {
  rivolet::FeedList list;
  rivolet::FeedListControl control;
  LoadIfThere(file, list, control);
  const rivolet::OpmlImportCounts counts = rivolet::ImportOpmlFile(
      opml, FromTerminal(period), list, rivolet::IsFeedAddress);
  if (counts.added > 0) {
    rivolet::WriteFileAtomically(file, rivolet::WriteFeedFile(list, control));
  }
  std::printf("%zu added, %zu already in the list, %zu refused\n", counts.added,
              counts.already_there, counts.refused);
  for (const std::string& address : counts.refused_addresses) {
    std::printf("refused: %s\n", address.c_str());
  }
  return 0;
}

int ExportOpml(const std::filesystem::path& file,
               const std::filesystem::path& opml) {
  rivolet::FeedList list;
  rivolet::FeedListControl control;
  Load(file, list, control);
  rivolet::ExportOpmlFile(list, opml);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "show" && argc == 3) return Show(argv[2]);
    if (command == "add" && argc == 7) return Add(argv[2], argv + 3);
    if (command == "import-opml" && (argc == 4 || argc == 5)) {
      return ImportOpml(argv[2], argv[3],
                        argc == 5 ? argv[4] : rivolet::kDefaultOpmlPeriod);
    }
    if (command == "export-opml" && argc == 4) {
      return ExportOpml(argv[2], argv[3]);
    }
    return Usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "feedlist: %s\n", e.what());
    return 1;
  }
}
