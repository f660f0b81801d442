// Where the program's files live.
#include "common/program_folders.h"

#include <unistd.h>

#include <system_error>

namespace rivolet {
namespace {

namespace fs = std::filesystem;

bool IsDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// The shipped data of an installed program: <prefix>/share/rivolet for an
// executable in <prefix>/bin.
fs::path InstalledDataFolder(const fs::path& exe_folder) {
  return exe_folder.parent_path() / "share" / "rivolet";
}

}  // namespace

std::vector<fs::path> ProgramFolders::LanguageFolders() const {
  std::vector<fs::path> folders = {data / "languages"};
  if (!Portable()) folders.push_back(user / "languages");
  return folders;
}

ProgramFolders PortableFolders(const fs::path& folder) {
  return {folder, folder};
}

ProgramFolders FindProgramFolders(const fs::path& exe_folder,
                                  std::string_view xdg_data_home,
                                  std::string_view home) {
  const fs::path installed_data = InstalledDataFolder(exe_folder);
  const bool installed_layout = exe_folder.filename() == "bin" &&
                                IsDirectory(installed_data / "languages");
  if (!installed_layout && ::access(exe_folder.c_str(), W_OK) == 0) {
    return PortableFolders(exe_folder);
  }
  fs::path data_home(xdg_data_home);
  if (!data_home.is_absolute()) {
    const fs::path home_folder(home);
    if (!home_folder.is_absolute()) return PortableFolders(exe_folder);
    data_home = home_folder / ".local" / "share";
  }
  return {data_home / "rivolet",
          IsDirectory(installed_data) ? installed_data : exe_folder};
}

void MakeUserFolder(const ProgramFolders& folders) {
  std::error_code ec;
  if (fs::create_directories(folders.user, ec)) {
    fs::permissions(folders.user, fs::perms::owner_all, ec);
  }
}

}  // namespace rivolet
