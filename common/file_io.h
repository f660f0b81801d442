// Whole-file reading with a size cap, and writing a file whole or not at all.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace rivolet {

// Reads the whole file, or what a symbolic link to it names. Fails with
// "Cannot open file <path>" when it cannot be read or is not a regular file
// (a pipe or a device is never opened), and with "File too large: <path>"
// when it exceeds `max_size`.
std::string ReadWholeFile(const std::filesystem::path& path,
                          std::size_t max_size = 256u * 1024 * 1024);

// The file `path` finally names once the symbolic links at its end are
// followed, each relative target counted from its link's folder; for a
// dangling link, the file it would create. Empty when the links go round in
// a loop or cannot be read.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Writes `bytes` to a new temporary file beside the file `path` names
// (FollowLinks), flushes it to disk and renames it over that file, so it
// always holds either its old content or the new one and a link to it stays
// a link. Fails with "Cannot create file <path>" and leaves the file
// untouched.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes);

}  // namespace rivolet
