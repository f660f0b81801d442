// The replace-all engine behind the clean-up passes: an ordered table of
// (searched text, replacement) steps applied as if one after another.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

struct Step {
  std::string from;
  std::string to;
};

// Runs the steps in table order; each step replaces every occurrence of its
// searched text left to right, without overlap and without rescanning what
// it inserted; matching is exact and case-sensitive.
//
// The result is byte for byte that of running the steps one by one over the
// whole text, but the text is read in one pass: only the stretches that can
// hold a match at all are worked on, so a step that matches nowhere costs
// nothing and an unchanged text is copied once.
class StepTable {
 public:
  // At most 64 steps; every searched text non-empty and no shorter than its
  // replacement (all our tables shrink the text, which the engine relies on).
  explicit StepTable(std::vector<Step> steps);

  std::string Apply(std::string_view text) const;
  // The same, in the text's own buffer (the text never grows).
  void ApplyInPlace(std::string& text) const;

  const std::vector<Step>& steps() const { return steps_; }

 private:
  std::uint64_t OccurringSteps(const unsigned char* s, std::size_t n) const;
  // Runs the pending steps (and the later ones they give rise to) over one
  // stretch in place; returns its new length.
  std::size_t RunSteps(char* data, std::size_t size,
                       std::uint64_t pending) const;

  std::vector<Step> steps_;
  std::array<bool, 256> starts_a_step_{};
  std::vector<unsigned char> starter_bytes_;
  // A matching automaton over all searched texts: bytes are mapped to
  // classes (class 0: a byte no searched text contains, which leads back to
  // the start state), and each state knows which steps have just matched.
  std::array<std::uint8_t, 256> class_of_{};
  std::size_t class_count_ = 1;
  // By row (state * class_count_) + class: the next state << 16 | its row.
  std::vector<std::uint32_t> moves_;
  std::vector<std::uint64_t> matched_;  // per state
};

// The plain engine: each step over the whole text in turn. Kept as the
// reference the one-pass engine is checked against.
std::string ApplyStepsOneByOne(std::string_view text,
                               const std::vector<Step>& steps);

}  // namespace rivolet
