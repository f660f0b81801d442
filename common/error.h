// The one error type of the program: a failure carrying the text the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace rivolet {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace rivolet
