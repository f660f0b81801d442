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

  const std::vector<Step>& steps() const { return steps_; }

 private:
  std::uint64_t OccurringSteps(const unsigned char* s, std::size_t n) const;
  std::size_t FindStarter(const unsigned char* s, std::size_t from,
                          std::size_t n) const;
  void RunSteps(std::string& stretch, std::uint64_t pending) const;

  std::vector<Step> steps_;
  std::array<bool, 256> in_some_step_{};
  std::array<bool, 256> starts_a_step_{};
  std::vector<unsigned char> starter_bytes_;
  // Steps whose searched text is exactly this one byte.
  std::array<std::uint64_t, 256> single_byte_steps_{};
  // Longer steps by first byte, in table order.
  std::array<std::vector<std::uint8_t>, 256> longer_steps_;
  // Bit (first byte << 8 | second byte) is set when a longer step begins so.
  std::vector<std::uint64_t> two_byte_prefixes_;
};

// The plain engine: each step over the whole text in turn. Kept as the
// reference the one-pass engine is checked against.
std::string ApplyStepsOneByOne(std::string_view text,
                               const std::vector<Step>& steps);

}  // namespace rivolet
