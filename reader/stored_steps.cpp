// The replace-all engine of the clean-up passes.
//
// Why one pass is enough: a byte that occurs in no searched text can never be
// part of a match, neither in the original text nor after any step, because
// steps only delete or replace whole matches and leave every other byte as it
// is. Such bytes split the text into stretches that never influence each
// other, and each step's left-to-right scan over the whole text is the
// concatenation of its scans over the stretches. A stretch is worth working
// on only from its first byte that begins some searched text, and only when
// some searched text occurs in it; then the steps run over that stretch
// alone, skipping straight to the next step that occurs in it.
#include "reader/stored_steps.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "common/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rivolet {
namespace {

// Replaces every occurrence of `step.from` in data[0, size) without growing
// it; returns the new size. Stretches are short, so a direct scan beats
// calling a library search.
std::size_t ReplaceInPlace(char* data, std::size_t size, const Step& step) {
  const char* from = step.from.data();
  const std::size_t m = step.from.size();
  const std::size_t to_size = step.to.size();
  std::size_t read = 0;
  std::size_t write = 0;
  while (read + m <= size) {
    std::size_t k = 0;
    while (k < m && data[read + k] == from[k]) ++k;
    if (k == m) {
      std::memcpy(data + write, step.to.data(), to_size);
      write += to_size;
      read += m;
    } else {
      data[write++] = data[read++];
    }
  }
  while (read < size) data[write++] = data[read++];
  return write;
}

}  // namespace

StepTable::StepTable(std::vector<Step> steps) : steps_(std::move(steps)) {
  if (steps_.size() > 64) throw std::invalid_argument("too many steps");
  for (const Step& step : steps_) {
    if (step.from.empty() || step.to.size() > step.from.size()) {
      throw std::invalid_argument("a step must not grow the text");
    }
    const auto first = static_cast<unsigned char>(step.from[0]);
    if (!starts_a_step_[first]) {
      starts_a_step_[first] = true;
      starter_bytes_.push_back(first);
    }
    for (char c : step.from) {
      auto& byte_class = class_of_[static_cast<unsigned char>(c)];
      if (byte_class == 0)
        byte_class = static_cast<std::uint8_t>(class_count_++);
    }
  }

  // The trie of the searched texts (-1: no child yet).
  std::vector<std::vector<int>> child(1, std::vector<int>(class_count_, -1));
  matched_.assign(1, 0);
  for (std::size_t k = 0; k < steps_.size(); ++k) {
    int state = 0;
    for (char c : steps_[k].from) {
      const std::size_t byte_class = class_of_[static_cast<unsigned char>(c)];
      if (child[state][byte_class] < 0) {
        child[state][byte_class] = static_cast<int>(child.size());
        child.emplace_back(class_count_, -1);
        matched_.push_back(0);
      }
      state = child[state][byte_class];
    }
    matched_[state] |= std::uint64_t{1} << k;
  }

  // Breadth first: each state takes the moves and matches of its longest
  // proper suffix that is also a state.
  const std::size_t states = child.size();
  if (states * class_count_ > 65535) {
    throw std::invalid_argument("steps too long");
  }
  std::vector<std::uint16_t> next_state(states * class_count_, 0);
  std::vector<int> suffix(states, 0);
  std::vector<int> queue;
  for (std::size_t c = 1; c < class_count_; ++c) {
    const int t = child[0][c];
    if (t >= 0) {
      next_state[c] = static_cast<std::uint16_t>(t);
      queue.push_back(t);
    }
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const int state = queue[head];
    matched_[state] |= matched_[suffix[state]];
    for (std::size_t c = 1; c < class_count_; ++c) {
      const int t = child[state][c];
      const std::uint16_t fallback =
          next_state[suffix[state] * class_count_ + c];
      if (t >= 0) {
        suffix[t] = fallback;
        next_state[state * class_count_ + c] = static_cast<std::uint16_t>(t);
        queue.push_back(t);
      } else {
        next_state[state * class_count_ + c] = fallback;
      }
    }
  }
  // Each move holds the target state (for its matches) and the target's
  // row offset, which keeps a multiplication out of the scanning loop.
  moves_.resize(next_state.size());
  for (std::size_t i = 0; i < next_state.size(); ++i) {
    const std::uint32_t target = next_state[i];
    moves_[i] =
        target << 16 | static_cast<std::uint32_t>(target * class_count_);
  }
}

std::uint64_t StepTable::OccurringSteps(const unsigned char* s,
                                        std::size_t n) const {
  const std::uint32_t* moves = moves_.data();
  const std::uint64_t* matched = matched_.data();
  std::uint64_t found = 0;
  std::uint32_t row = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t move = moves[row + class_of_[s[i]]];
    row = move & 0xFFFF;
    found |= matched[move >> 16];
  }
  return found;
}

namespace {

// Finds the next byte that begins some searched text, sixteen bytes at a time
// where the processor allows.
class StarterScanner {
 public:
  StarterScanner(const std::vector<unsigned char>& starters,
                 const std::array<bool, 256>& is_starter)
      : is_starter_(is_starter) {
#if defined(__SSE2__)
    count_ = starters.size() <= kMaxWanted ? starters.size() : 0;
    for (std::size_t k = 0; k < count_; ++k) {
      wanted_[k] = _mm_set1_epi8(static_cast<char>(starters[k]));
    }
#else
    (void)starters;
#endif
  }

  std::size_t Next(const unsigned char* s, std::size_t i, std::size_t n) const {
#if defined(__SSE2__)
    if (count_ != 0) {
      while (i + 16 <= n) {
        const __m128i block =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i hits = _mm_cmpeq_epi8(block, wanted_[0]);
        for (std::size_t k = 1; k < count_; ++k) {
          hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted_[k]));
        }
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
          return i + static_cast<std::size_t>(
                         std::countr_zero(static_cast<unsigned>(mask)));
        }
        i += 16;
      }
    }
#endif
    while (i < n && !is_starter_[s[i]]) ++i;
    return i;
  }

 private:
  const std::array<bool, 256>& is_starter_;
#if defined(__SSE2__)
  static constexpr std::size_t kMaxWanted = 8;
  __m128i wanted_[kMaxWanted];
  std::size_t count_ = 0;
#endif
};

}  // namespace

std::size_t StepTable::RunSteps(char* data, std::size_t size,
                                std::uint64_t pending) const {
  while (pending != 0) {
    const int k = std::countr_zero(pending);
    size = ReplaceInPlace(data, size, steps_[k]);
    const std::uint64_t later = k == 63 ? 0 : ~((std::uint64_t{2} << k) - 1);
    if (later == 0 || size == 0) break;
    pending =
        OccurringSteps(reinterpret_cast<const unsigned char*>(data), size) &
        later;
  }
  return size;
}

std::string StepTable::Apply(std::string_view text) const {
  std::string result(text);
  ApplyInPlace(result);
  return result;
}

void StepTable::ApplyInPlace(std::string& text) const {
  auto* s = reinterpret_cast<unsigned char*>(text.data());
  const std::size_t n = text.size();
  const StarterScanner scanner(starter_bytes_, starts_a_step_);
  const std::uint8_t* class_of = class_of_.data();
  const std::uint32_t* moves = moves_.data();
  const std::uint64_t* matched = matched_.data();
  // Bytes before `read` are settled and lie in [0, write); write <= read, so
  // the text still to be read is never overwritten.
  std::size_t read = 0;
  std::size_t write = 0;
  std::size_t start = scanner.Next(s, 0, n);
  while (start < n) {
    // The stretch runs up to the next byte that no searched text contains.
    std::size_t end = start;
    std::uint32_t row = 0;
    std::uint64_t occurring = 0;
    while (end < n) {
      const std::uint32_t byte_class = class_of[s[end]];
      if (byte_class == 0) break;
      const std::uint32_t move = moves[row + byte_class];
      row = move & 0xFFFF;
      occurring |= matched[move >> 16];
      ++end;
    }
    if (occurring != 0) {
      if (write != read) std::memmove(s + write, s + read, end - read);
      const std::size_t base = write + (start - read);
      write = base + RunSteps(reinterpret_cast<char*>(s) + base, end - start,
                              occurring);
      read = end;
    }
    start = scanner.Next(s, end, n);
  }
  if (write != read) {
    std::memmove(s + write, s + read, n - read);
    text.resize(write + (n - read));
  }
}

std::string ApplyStepsOneByOne(std::string_view text,
                               const std::vector<Step>& steps) {
  std::string result(text);
  for (const Step& step : steps)
    result = ReplaceAll(result, step.from, step.to);
  return result;
}

}  // namespace rivolet
