// The Feeds' Management dialog's working copy.
#include "dialogs/management.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "settings/language_file.h"

namespace rivolet {
namespace {

constexpr std::size_t kShownFields = 3;  // category, period, URL

std::string_view FieldOrEmpty(const FeedEntry& e, std::size_t k) {
  return k < e.fields.size() ? std::string_view(e.fields[k])
                             : std::string_view();
}

// Column 0 is the name; columns 1 to 3 are fields 0 to 2.
std::string_view ColumnText(const FeedEntry& e, int column) {
  return column == 0 ? std::string_view(e.name)
                     : FieldOrEmpty(e, static_cast<std::size_t>(column - 1));
}

// A row the user edits or moves gets every shown field, so that the texts
// typed or moved into it are kept.
void GiveShownFields(FeedEntry& e) {
  if (e.fields.size() < kShownFields) e.fields.resize(kShownFields);
  if (e.field_images.size() < e.fields.size()) {
    e.field_images.resize(e.fields.size(), -1);
  }
}

unsigned char UpperAsciiOnly(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 32) : b;
}

}  // namespace

std::string DeleteQuestion(const std::optional<std::string>& naming,
                           std::string_view plain, std::string_view name) {
  if (!naming) return std::string(plain) + "\n" + std::string(name);
  return FillIn(*naming, {std::string(name)});
}

int CompareSortTexts(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = UpperAsciiOnly(a[i]);
    const unsigned char y = UpperAsciiOnly(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

ManagementList::ManagementList(const FeedList& list) : rows_(list.CopyOut()) {}

std::optional<FeedEditTexts> ManagementList::Select(
    std::optional<std::size_t> row) {
  selection_.reset();
  if (!row || *row >= rows_.size()) return std::nullopt;
  selection_ = row;
  edited_ = row;
  return Texts(*row);
}

FeedEditTexts ManagementList::Texts(std::size_t row) const {
  if (row >= rows_.size()) return {};
  const FeedEntry& e = rows_[row];
  return {e.name, std::string(FieldOrEmpty(e, 0)),
          std::string(FieldOrEmpty(e, 1)), std::string(FieldOrEmpty(e, 2))};
}

void ManagementList::SortByHeader(int column, ManagementSort& sort) {
  if (column < 0 || column > 3) return;
  sort.ascending = !sort.ascending;
  sort.column = column;

  // Sort positions rather than rows, so that the selection can follow its
  // feed and no FeedEntry is copied more than once.
  std::vector<std::size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const bool ascending = sort.ascending;
  std::stable_sort(
      order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const int c = CompareSortTexts(ColumnText(rows_[x], column),
                                       ColumnText(rows_[y], column));
        return ascending ? c < 0 : c > 0;
      });

  std::vector<FeedEntry> sorted;
  sorted.reserve(rows_.size());
  std::optional<std::size_t> selection;
  std::optional<std::size_t> edited;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (selection_ && order[i] == *selection_) selection = i;
    if (edited_ && order[i] == *edited_) edited = i;
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  selection_ = selection;
  edited_ = edited;
}

bool ManagementList::ApplyEdits(const FeedEditTexts& texts) {
  if (!edited_) return false;
  FeedEntry& e = rows_[*edited_];
  GiveShownFields(e);
  e.name = texts.name;
  e.fields[0] = texts.category;
  e.fields[1] = texts.period;
  e.fields[2] = texts.url;
  return true;
}

bool ManagementList::MoveUp() {
  return selection_ && *selection_ > 0 && MoveTo(*selection_ - 1);
}

bool ManagementList::MoveDown() {
  return selection_ && MoveTo(*selection_ + 1);
}

// Only the texts change places; what else a row carries stays with its
// position.
bool ManagementList::MoveTo(std::size_t j) {
  const std::size_t i = *selection_;
  if (j >= rows_.size()) return false;
  FeedEntry& a = rows_[i];
  FeedEntry& b = rows_[j];
  GiveShownFields(a);
  GiveShownFields(b);
  std::swap(a.name, b.name);
  for (std::size_t k = 0; k < kShownFields; ++k) {
    std::swap(a.fields[k], b.fields[k]);
  }
  // The edits' texts moved with their feed.
  if (edited_ == i) {
    edited_ = j;
  } else if (edited_ == j) {
    edited_ = i;
  }
  selection_ = j;
  return true;
}

bool ManagementList::DeleteSelected() {
  if (!selection_) return false;
  const std::size_t gone = *selection_;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(gone));
  selection_.reset();
  edited_.reset();
  if (!rows_.empty()) Select(std::min(gone, rows_.size() - 1));
  return true;
}

}  // namespace rivolet
