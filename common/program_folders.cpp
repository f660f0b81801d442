// Where the program's files live.
#include "common/program_folders.h"

#include <stdlib.h>
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
  const fs::path data =
      IsDirectory(installed_data) ? installed_data : exe_folder;
  fs::path data_home(xdg_data_home);
  if (!data_home.is_absolute()) {
    const fs::path home_folder(home);
    if (!home_folder.is_absolute()) return {{}, data};
    data_home = home_folder / ".local" / "share";
  }
  return {data_home / "rivolet", data};
}

void MakeUserFolder(ProgramFolders& folders) {
  std::error_code ec;
  if (folders.user.empty()) {
    const fs::path base = fs::temp_directory_path(ec);
    std::string pattern = ((ec ? fs::path("/tmp") : base) / "rivolet-XXXXXX");
    if (::mkdtemp(pattern.data()) != nullptr) folders.user = pattern;
    folders.keeps_nothing = true;
    return;
  }
  if (fs::create_directories(folders.user, ec)) {
    fs::permissions(folders.user, fs::perms::owner_all, ec);
  }
}

void RemoveStandInFolder(const ProgramFolders& folders) {
  if (!folders.keeps_nothing || folders.user.empty()) return;
  std::error_code ec;
  fs::remove_all(folders.user, ec);
}

}  // namespace rivolet
