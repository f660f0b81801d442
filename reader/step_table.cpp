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
#include "reader/step_table.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "common/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rivolet {
namespace {

// Replaces every occurrence of `step.from` inside `text` without growing it.
void ReplaceInPlace(std::string& text, const Step& step) {
  std::size_t at = text.find(step.from);
  if (at == std::string::npos) return;
  std::size_t write = at;
  std::size_t read = at;
  char* data = text.data();
  while (at != std::string::npos) {
    std::memmove(data + write, data + read, at - read);
    write += at - read;
    std::memcpy(data + write, step.to.data(), step.to.size());
    write += step.to.size();
    read = at + step.from.size();
    at = text.find(step.from, read);
  }
  std::memmove(data + write, data + read, text.size() - read);
  text.resize(write + text.size() - read);
}

}  // namespace

StepTable::StepTable(std::vector<Step> steps)
    : steps_(std::move(steps)), two_byte_prefixes_(65536 / 64, 0) {
  if (steps_.size() > 64) throw std::invalid_argument("too many steps");
  for (std::size_t k = 0; k < steps_.size(); ++k) {
    const Step& step = steps_[k];
    if (step.from.empty() || step.to.size() > step.from.size()) {
      throw std::invalid_argument("a step must not grow the text");
    }
    for (char c : step.from)
      in_some_step_[static_cast<unsigned char>(c)] = true;
    const auto first = static_cast<unsigned char>(step.from[0]);
    if (!starts_a_step_[first]) {
      starts_a_step_[first] = true;
      starter_bytes_.push_back(first);
    }
    if (step.from.size() == 1) {
      single_byte_steps_[first] |= std::uint64_t{1} << k;
    } else {
      longer_steps_[first].push_back(static_cast<std::uint8_t>(k));
      const unsigned key =
          first << 8 | static_cast<unsigned char>(step.from[1]);
      two_byte_prefixes_[key / 64] |= std::uint64_t{1} << (key % 64);
    }
  }
}

std::uint64_t StepTable::OccurringSteps(const unsigned char* s,
                                        std::size_t n) const {
  std::uint64_t found = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = s[i];
    if (!starts_a_step_[b]) continue;
    found |= single_byte_steps_[b];
    if (i + 1 == n) continue;
    const unsigned key = b << 8 | s[i + 1];
    if ((two_byte_prefixes_[key / 64] >> (key % 64) & 1) == 0) continue;
    for (std::uint8_t k : longer_steps_[b]) {
      const std::string& from = steps_[k].from;
      if (from.size() <= n - i &&
          std::memcmp(s + i, from.data(), from.size()) == 0) {
        found |= std::uint64_t{1} << k;
      }
    }
  }
  return found;
}

std::size_t StepTable::FindStarter(const unsigned char* s, std::size_t from,
                                   std::size_t n) const {
  std::size_t i = from;
#if defined(__SSE2__)
  if (starter_bytes_.size() <= 8) {
    __m128i wanted[8];
    const std::size_t count = starter_bytes_.size();
    for (std::size_t k = 0; k < count; ++k) {
      wanted[k] = _mm_set1_epi8(static_cast<char>(starter_bytes_[k]));
    }
    while (i + 16 <= n) {
      const __m128i block =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      __m128i hits = _mm_setzero_si128();
      for (std::size_t k = 0; k < count; ++k) {
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[k]));
      }
      const int mask = _mm_movemask_epi8(hits);
      if (mask != 0)
        return i + static_cast<std::size_t>(
                       std::countr_zero(static_cast<unsigned>(mask)));
      i += 16;
    }
  }
#endif
  while (i < n && !starts_a_step_[s[i]]) ++i;
  return i;
}

void StepTable::RunSteps(std::string& stretch, std::uint64_t pending) const {
  while (pending != 0) {
    const int k = std::countr_zero(pending);
    ReplaceInPlace(stretch, steps_[k]);
    const std::uint64_t later = k == 63 ? 0 : ~((std::uint64_t{2} << k) - 1);
    pending = later == 0
                  ? 0
                  : OccurringSteps(
                        reinterpret_cast<const unsigned char*>(stretch.data()),
                        stretch.size()) &
                        later;
  }
}

std::string StepTable::Apply(std::string_view text) const {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::string out;
  std::string stretch;
  std::size_t copied = 0;  // text before this is already in `out`
  bool changed = false;
  std::size_t start = FindStarter(s, 0, n);
  while (start < n) {
    std::size_t end = start + 1;
    while (end < n && in_some_step_[s[end]]) ++end;
    const std::uint64_t occurring = OccurringSteps(s + start, end - start);
    if (occurring != 0) {
      stretch.assign(text.substr(start, end - start));
      RunSteps(stretch, occurring);
      if (!changed) {
        out.reserve(n);
        changed = true;
      }
      out.append(text.substr(copied, start - copied));
      out.append(stretch);
      copied = end;
    }
    start = FindStarter(s, end, n);
  }
  if (!changed) return std::string(text);
  out.append(text.substr(copied));
  return out;
}

std::string ApplyStepsOneByOne(std::string_view text,
                               const std::vector<Step>& steps) {
  std::string result(text);
  for (const Step& step : steps)
    result = ReplaceAll(result, step.from, step.to);
  return result;
}

}  // namespace rivolet
