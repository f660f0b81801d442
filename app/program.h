// The program as the entry point starts it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/program_folders.h"

namespace rivolet {

// Runs the program with its files in `folders`; `executable` is its own file
// and `arguments` the command line after its name. Makes the windows in their
// fixed order, shows the main one and runs the event loop until it closes;
// returns the loop's exit code.
int RunProgram(ProgramFolders folders, std::filesystem::path executable,
               std::vector<std::string> arguments);

}  // namespace rivolet
