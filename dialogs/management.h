// The Feeds' Management dialog's rules: a working copy of the feed list with
// its selection, the header sort, editing, moving and deleting rows, and the
// list OK writes back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/feed_list.h"

namespace rivolet {

// Messages the dialog starts with; a language file may replace them.
inline constexpr char kDeleteQuestionText[] = "Are you sure?";
inline constexpr char kSelectFeedText[] = "Please select feed!";
// The delete question that names the feed ("%s").
inline constexpr char kDeleteFeedQuestionText[] = "Delete the feed \"%s\"?";

// The delete question about the feed named `name`: `naming` with the name
// in it, or where the language in use has no such text, `plain` (its
// "Are you sure?") with the name on a line of its own.
std::string DeleteQuestion(const std::optional<std::string>& naming,
                           std::string_view plain, std::string_view name);

// The sort settings, kept by the dialog for the whole program run so that
// they carry over from one opening to the next.
struct ManagementSort {
  int column = 0;          // 0 name, 1 category, 2 period, 3 URL
  bool ascending = false;  // so the first header click of a run ascends
};

// The four edit fields of the dialog: name, category, period, URL. The period
// field keeps the key rule of PeriodKeyKeepsText (dialogs/new_feed.h).
struct FeedEditTexts {
  std::string name;
  std::string category;
  std::string period;
  std::string url;

  friend bool operator==(const FeedEditTexts&, const FeedEditTexts&) = default;
};

// The sort comparison: byte by byte as unsigned values after turning a-z into
// A-Z (no other letter is folded); a leading part sorts first. Negative, 0 or
// positive.
int CompareSortTexts(std::string_view a, std::string_view b);

// The dialog's working copy. Rows are whole FeedEntry values, so everything a
// feed carries survives editing and OK. Entries with fewer than three fields
// (a hand-made file) read as empty texts where a field is missing.
class ManagementList {
 public:
  // Takes the copy; no row is selected.
  explicit ManagementList(const FeedList& list);

  const std::vector<FeedEntry>& rows() const { return rows_; }
  std::optional<std::size_t> selection() const { return selection_; }
  // The row the four edits were filled from; it follows its feed through
  // sorting and moving, and is gone with it.
  std::optional<std::size_t> edited() const { return edited_; }

  // The list's selection changed to `row` (none when empty or out of range).
  // Returns the selected row's texts, which the window puts in the four
  // edits however the selection moved; that row becomes the edited one.
  // With no row selected the edits keep their texts and their row.
  std::optional<FeedEditTexts> Select(std::optional<std::size_t> row);

  // The texts row i shows in its four columns.
  FeedEditTexts Texts(std::size_t row) const;

  // A header click: flips `sort.ascending`, makes `column` (0 to 3) the sort
  // column, and sorts the rows. Rows that compare equal keep their order.
  // The selection stays with its feed. A column outside 0 to 3 does nothing.
  void SortByHeader(int column, ManagementSort& sort);

  // Puts the four texts, exactly as typed, into the row they were filled
  // from. False when there is none (the window shows kSelectFeedText). A
  // row short of fields gets the missing ones.
  bool ApplyEdits(const FeedEditTexts& texts);

  // Exchange the name, category, period and URL of the selected row with the
  // row above or below, and move the selection along. Nothing happens (false)
  // without a selection or at either end.
  bool MoveUp();
  bool MoveDown();

  // Removes the selected row once the user has agreed. The row that takes
  // its place (or the last row) is selected and edited then; none when the
  // list is left empty. False (nothing removed) without a selection.
  bool DeleteSelected();

  // OK: FeedList replaced whole by the rows in their displayed order.
  void WriteBack(FeedList& list) const { list.ReplaceAll(rows_); }

 private:
  bool MoveTo(std::size_t j);

  std::vector<FeedEntry> rows_;
  std::optional<std::size_t> selection_;
  std::optional<std::size_t> edited_;
};

}  // namespace rivolet
