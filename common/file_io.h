// Whole-file reading with a size cap, and writing a file whole or not at all.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
// a link. Links are followed only to a regular file or to a name not taken
// yet. A replaced file keeps its owner and permissions; a new one is made
// private (0600). Fails with "Cannot create file <path>" and leaves
// everything untouched when the name is taken by anything but a regular
// file (a device, a pipe, a socket, a folder, a loop of links), when the
// file is read-only or when the write fails. Read-only means that the
// process may not write to the file or that its owner's write permission is
// off, so a file made read-only is respected by root too, for whom every
// file is writable.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes);

// Removes the temporary files that WriteFileAtomically leaves behind when
// the program is killed mid-save: regular files in `folder` named
// "<name>.<6 letters or digits>.tmp", where <name> is one of `names` (any
// name when `names` is empty), owned by this user with mode 0600. Links,
// folders, other kinds of file and other modes are never removed nor
// followed. Failures are ignored.
void RemoveTemporaryLeftovers(const std::filesystem::path& folder,
                              const std::vector<std::string>& names = {});

// The leftovers of saving `file`: beside the file it names once its links
// are followed, where WriteFileAtomically writes.
void RemoveTemporaryLeftoversOf(const std::filesystem::path& file);

}  // namespace rivolet
