// Where the program's files live: the user's own files (the feed list, the
// settings, the language choice) and the data it ships (languages, help
// pages, the catalogue). A portable copy keeps both in its own folder; an
// installed program keeps the user's files in the user's data folder.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace rivolet {

struct ProgramFolders {
  // feeds.che and its backups, rivolet.ini, language.dat, temp.xml. Empty
  // when there is no folder to keep them in (an installed program without
  // a home folder).
  std::filesystem::path user;
  // languages/, help.html, pomoc.html, rss_pl.txt: read, never written.
  std::filesystem::path data;
  // The user's folder is a stand-in for this run alone: nothing is kept.
  bool keeps_nothing = false;

  // A copy that keeps everything beside itself.
  bool Portable() const { return user == data; }

  // The languages folders in reading order: the shipped one, then the
  // user's own (so a language can be added without root).
  std::vector<std::filesystem::path> LanguageFolders() const;
};

// Both folders are `folder`.
ProgramFolders PortableFolders(const std::filesystem::path& folder);

// The folders of a program whose executable is in `exe_folder`, given the
// values of XDG_DATA_HOME and HOME (empty when unset). When the folder is
// writable and is not an installed layout, everything stays in it. An
// installed layout is <prefix>/bin with <prefix>/share/rivolet/languages
// beside it; it counts as installed even when writable (root running it).
// Installed, the user's files go to $XDG_DATA_HOME/rivolet (an unset or
// relative value means ~/.local/share) and the data is read from
// <prefix>/share/rivolet (the executable's folder when there is none).
// Without a home folder an installed program has no user's folder (never
// the executable's: that would be the system's bin/).
ProgramFolders FindProgramFolders(const std::filesystem::path& exe_folder,
                                  std::string_view xdg_data_home,
                                  std::string_view home);

// Makes the user's folder (private to the user) when it is missing; a
// failure shows later, when a file cannot be written there. Without one,
// a private folder for this run alone stands in (keeps_nothing), so that
// nothing is ever written beside the executable or in the working folder;
// RemoveStandInFolder removes it at the end.
void MakeUserFolder(ProgramFolders& folders);
void RemoveStandInFolder(const ProgramFolders& folders);

}  // namespace rivolet
