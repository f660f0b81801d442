// Values of desktop entries.
#include "common/desktop_entry.h"

namespace rivolet {

std::string DesktopStringValue(std::string_view text) {
  std::string value;
  for (char c : text) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string DesktopExecValue(const std::filesystem::path& program,
                             std::string_view field_code) {
  std::string exec = "\"";
  for (char c : program.string()) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') exec += '\\';
    exec += c;
    // A literal percent sign; a lone one would start a field code.
    if (c == '%') exec += '%';
  }
  exec += '"';
  // GLib looks for the program named first before expanding "%%", so a path
  // holding a percent sign is handed over by env, which it finds.
  if (program.string().find('%') != std::string::npos) exec = "env " + exec;
  if (!field_code.empty()) {
    exec += ' ';
    exec += field_code;
  }
  return DesktopStringValue(exec);
}

}  // namespace rivolet
