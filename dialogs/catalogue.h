// The Catalogue dialog's rules: reading the downloaded catalogue into
// entries, the growing category list, the entries shown for a category and
// what Add does to the feed list.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/program_folders.h"
#include "dialogs/new_feed.h"
#include "feeds/feed_list.h"

namespace rivolet {

// Messages the dialog starts with; a language file may replace both.
inline constexpr char kCatalogueDoneText[] = "Done";
inline constexpr const char* kCatalogueDuplicateText = kFeedAlreadyAddedText;

// What the dialog says when the catalogue cannot be had.
inline constexpr char kNoConnectionText[] = "No connection.";

// The category the dialog selects when it opens (compared without regard to
// letter case).
inline constexpr char kPreselectedCategory[] = "Rivolet";

// The catalogue comes from the network: at most this many records are read,
// and a record with a field longer than kMaxCatalogueFieldSize bytes (after
// trimming) is skipped. A huge or malformed catalogue gives fewer entries.
inline constexpr std::size_t kMaxCatalogueRecords = 10000;
inline constexpr std::size_t kMaxCatalogueFieldSize = 2048;

// The catalogue shipped beside the program, read when the settings name no
// address of their own; it is capped like a download.
inline constexpr char kCatalogueFileName[] = "rss_pl.txt";
inline constexpr std::size_t kMaxCatalogueFileSize = 64u * 1024 * 1024;

// Where an opening of the dialog takes its catalogue from.
struct CatalogueSource {
  std::string url;             // download this address when it is set
  std::filesystem::path file;  // else read this file
};

// The address under "catalogue_url" in section "general" of rivolet.ini in
// the user's folder (read at every opening, never written); without one (or
// with an empty one) the file shipped in the data folder.
CatalogueSource FindCatalogueSource(const ProgramFolders& folders);

// The bytes of a catalogue file. Fails with "Cannot open file <path>" when it
// is missing, unreadable or not a regular file (a pipe would never end), and
// with "File too large: <path>" beyond `max_size` bytes.
std::string ReadCatalogueFile(const std::filesystem::path& file,
                              std::size_t max_size = kMaxCatalogueFileSize);

struct CatalogueEntry {
  std::string name;
  std::string category;
  std::string feed_url;
  std::string site_url;

  friend bool operator==(const CatalogueEntry&,
                         const CatalogueEntry&) = default;
};

// Reads the records of a catalogue in document order. A record begins with
// "<c>" and ends at the next "</c>" after it (both case-sensitive); text
// outside records is ignored, and a "<c>" without a later "</c>" ends the
// scan. Its content splits at the first three "||" into name, category and
// feed URL; the site URL is the rest and may itself hold "||". Where fewer
// than three "||" occur, the fields whose "||" is missing are empty and the
// site URL is the text after the last "||" found (the whole content when
// there is none). Every field is trimmed of codes 0 to 32.
std::vector<CatalogueEntry> ParseCatalogue(std::string_view document);

// The order of the category list: without regard to letter case
// (Windows-1250 letters folded), then by bytes.
bool CategoryListLess(std::string_view a, std::string_view b);

// Adds to the sorted `cat_list` every category of `entries` that no item
// equals without regard to letter case; the form met first is the one kept.
// Items already in the list stay (the list only grows during a run).
void MergeCategories(std::vector<std::string>& cat_list,
                     const std::vector<CatalogueEntry>& entries);

// Position of the first item of `cat_list` equal to `category` without regard
// to letter case.
std::optional<std::size_t> FindCategory(
    const std::vector<std::string>& cat_list, std::string_view category);

// Positions, in document order, of the entries whose category equals
// `category` without regard to letter case: the rows shown for a category
// item, and for kPreselectedCategory when the dialog opens.
std::vector<std::size_t> EntriesOfCategory(
    const std::vector<CatalogueEntry>& entries, std::string_view category);

// Add, for the feed whose fields are shown: refused (false) when a stored
// feed's URL contains `shown.feed_url`; otherwise appends name, category, an
// empty update period and the feed URL (the site URL is not kept).
bool AddCatalogueFeed(const CatalogueEntry& shown, FeedList& list);

}  // namespace rivolet
