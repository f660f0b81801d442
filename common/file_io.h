// Whole-file reading with a size cap, and writing a file whole or not at all.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace rivolet {

// Reads the whole file. Fails with "Cannot open file <path>" when it cannot
// be read and with "File too large: <path>" when it exceeds `max_size`.
std::string ReadWholeFile(const std::filesystem::path& path,
                          std::size_t max_size = 256u * 1024 * 1024);

// Writes `bytes` to a temporary file beside `path` (its name plus ".tmp"),
// flushes it to disk and renames it over `path`, so `path` always holds
// either its old content or the new one. Fails with
// "Cannot create file <path>" and leaves `path` untouched.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes);

}  // namespace rivolet
