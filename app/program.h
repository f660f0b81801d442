// The program as the entry point starts it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rivolet {

// Runs the program from `exe_folder`, where it keeps its files; `executable`
// is its own file and `arguments` the command line after its name. Makes the
// windows in their fixed order, shows the main one and runs the event loop
// until it closes; returns the loop's exit code.
int RunProgram(std::filesystem::path exe_folder,
               std::filesystem::path executable,
               std::vector<std::string> arguments);

}  // namespace rivolet
