// Where the program keeps its files: the settings file (vorn_htm.ini) and the
// history (vorn_htm.his), the settings screen's sample pages, the help pages.
//
// A program started from its build folder, or from a copy placed anywhere but
// the place it was installed to, is portable: all of them stand beside the
// executable, as they always have. An installed program (its executable in the
// bin folder of a prefix it was installed to) keeps nothing beside itself,
// whoever runs it, root included:
//   settings and history  $XDG_CONFIG_HOME/vorn_htm   (default ~/.config/vorn_htm)
//   sample pages          $XDG_CACHE_HOME/vorn_htm    (default ~/.cache/vorn_htm)
//   help pages            the installed data folder   (share/vorn_htm)
// As the XDG Base Directory rules say, a variable that is empty or holds a
// relative path is ignored. The per-user folders are not made here: whatever
// writes a file into one makes it first (make_program_folder).
#pragma once

#include <string>
#include <vector>

// A place the program is installed to: its bin folder and its data folder
// (prefix/share/vorn_htm). The build knows them.
struct InstalledPlace {
  std::string bin_dir;
  std::string data_dir;
};

// What the rule reads of the environment. home is the account's home folder
// (never empty: the caller falls back to "/", as login does); the XDG values
// are the variables' texts, empty when unset.
struct FolderEnv {
  std::string home;
  std::string xdg_config_home;
  std::string xdg_cache_home;
};

struct ProgramFolders {
  bool installed = false;
  std::string App_Dir;     // settings file and history
  std::string Sample_Dir;  // sample pages of the settings screen
  std::string Help_Dir;    // help pages, only ever read
};

// The rule itself, on texts alone: exe_dir is the executable's folder, and it
// is an installed place when its lexically normal form equals a place's bin
// folder. Touches no file.
ProgramFolders choose_program_folders(const std::string& exe_dir, const std::vector<InstalledPlace>& places,
                                      const FolderEnv& env);

// The rule for this process: the environment as it is (HOME, else the
// account's home folder from the password file, else "/"), and the folders
// compared as the file system resolves them, so that a bin folder reached
// through a link (/bin on a merged /usr) still counts.
ProgramFolders find_program_folders(const std::string& exe_dir, const std::vector<InstalledPlace>& places);

// Makes dir and every missing folder above it, each new one for its owner
// only (0700), as the XDG rules ask; an existing folder is left as it is.
// Throws VbError (the folder and the reason) when it cannot.
void make_program_folder(const std::string& dir);
