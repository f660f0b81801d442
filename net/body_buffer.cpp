// The body buffer of the HTTP response parser.
#include "net/body_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace rivolet {
namespace {

// Memory is backed this far ahead of the bytes received, in one call:
// touching fresh pages one fault at a time costs more than receiving the
// bytes (twice as long on a virtual machine).
constexpr std::size_t kPopulateStep = 1024 * 1024;

// Copied out of the pages in pieces this size, each given back at once, so
// the body is never held twice.
constexpr std::size_t kTakePiece = 1024 * 1024;

std::size_t PageSize() {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return page;
}

std::size_t RoundUpToPage(std::size_t n) {
  return (n + PageSize() - 1) & ~(PageSize() - 1);
}

}  // namespace

BodyBuffer::~BodyBuffer() { Release(); }

void BodyBuffer::Release() {
  if (map_ != nullptr) munmap(map_, mapped_);
  map_ = nullptr;
  mapped_ = 0;
  used_ = 0;
  populated_ = 0;
}

void BodyBuffer::Expect(std::size_t size) {
  expected_ = true;
  expected_size_ = size;
  text_.reserve(std::min(size, kFirstReserve));
}

// Backs the bytes up to `end` (and a step beyond, within what is set aside)
// with memory before they are written. Only a hint: without it the pages
// are faulted in as they are written.
void BodyBuffer::Populate(char* base, std::size_t end) {
  if (end <= populated_) return;
  const std::size_t limit = expected_ ? text_.capacity() : mapped_;
  const std::size_t stop =
      std::min(limit, std::max(end, populated_ + kPopulateStep));
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  const auto page = static_cast<std::uintptr_t>(PageSize());
  const auto start = reinterpret_cast<std::uintptr_t>(base);
  const std::uintptr_t first = (start + populated_ + page - 1) & ~(page - 1);
  const std::uintptr_t last = (start + stop) & ~(page - 1);
  if (last > first) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
  }
#else
  (void)base;
#endif
  populated_ = stop;
}

void BodyBuffer::Grow(std::size_t needed) {
  const std::size_t size =
      RoundUpToPage(std::max({needed, kFirstReserve, mapped_ * 2}));
  void* grown = map_ == nullptr ? mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                : mremap(map_, mapped_, size, MREMAP_MAYMOVE);
  if (grown == MAP_FAILED) throw std::bad_alloc();
  map_ = static_cast<char*>(grown);
  mapped_ = size;
}

std::span<char> BodyBuffer::Room(std::size_t max) {
  if (max == 0) return {};
  room_start_ = expected_ ? text_.size() : used_;
  if (expected_) {
    if (text_.size() == text_.capacity()) {
      // The first part has come: the rest may take the announced size.
      const std::size_t before = text_.capacity();
      text_.reserve(std::max(expected_size_, room_start_ + max));
      if (text_.capacity() != before) populated_ = room_start_;
    }
    const std::size_t n = std::min(max, text_.capacity() - room_start_);
    Populate(text_.data(), room_start_ + n);
    text_.resize(room_start_ + n);
    return {text_.data() + room_start_, n};
  }
  if (max > mapped_ - used_) Grow(used_ + max);
  Populate(map_, used_ + max);
  return {map_ + used_, max};
}

void BodyBuffer::Commit(std::size_t used) {
  if (expected_) {
    text_.resize(room_start_ + used);
  } else {
    used_ = room_start_ + used;
  }
}

void BodyBuffer::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    std::span<char> room = Room(bytes.size());
    std::memcpy(room.data(), bytes.data(), room.size());
    Commit(room.size());
    bytes.remove_prefix(room.size());
  }
}

std::string_view BodyBuffer::view() const {
  if (expected_) return text_;
  return {map_, used_};
}

std::string BodyBuffer::Take() {
  std::string body;
  if (expected_) {
    body = std::move(text_);
    text_.clear();
  } else if (map_ != nullptr) {
    body.reserve(used_);
    for (std::size_t at = 0; at < used_; at += kTakePiece) {
      const std::size_t n = std::min(kTakePiece, used_ - at);
      body.append(map_ + at, n);
      madvise(map_ + at, n, MADV_DONTNEED);
    }
  }
  Release();
  expected_ = false;
  return body;
}

}  // namespace rivolet
