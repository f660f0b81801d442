// The message an action fails with, for tests that compare error texts.
#pragma once

#include <string>
#include <utility>

#include "common/error.h"

namespace rivolet::testing {

// The text of the Error `action` throws, or "" when it succeeds.
template <typename Action>
std::string ErrorText(Action&& action) {
  try {
    std::forward<Action>(action)();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace rivolet::testing
