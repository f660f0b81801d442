// Values of desktop entries (the XDG files that stand for a program's menu
// entry, file type and start with the session): a program's path quoted for
// the Exec key, and any text escaped for a string value.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace rivolet {

// The file type of feed-list files (*.che).
inline constexpr char kFeedListMimeType[] = "application/x-rivolet-file";

// `text` as a desktop entry's string value: backslash, newline, tab and
// carriage return escaped, so one value stays on one line.
std::string DesktopStringValue(std::string_view text);

// The Exec value that runs `program`, then ` <field_code>` when one is given
// ("%f"). The path is quoted whatever it holds, with its '"', '`', '$' and
// '\' escaped, and each '%' doubled, so that no part of it is read as a field
// code nor split (and started through env then, see the .cpp); then the
// whole is escaped as a string value.
std::string DesktopExecValue(const std::filesystem::path& program,
                             std::string_view field_code = {});

}  // namespace rivolet
