// Where the program keeps its files: beside a portable copy, in the account's
// XDG folders for an installed one.
#include "core/program_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "core/vb_error.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::vector<InstalledPlace> kPlaces = {{"/usr/local/bin", "/usr/local/share/vorn_htm"},
                                             {"/usr/bin", "/usr/share/vorn_htm"}};

TEST(ProgramFolders, TheRuleOnTexts) {
  struct Row {
    const char* name;
    std::string exe_dir;
    FolderEnv env;
    bool installed;
    std::string app, sample, help;
  } rows[] = {
      {"build_folder",
       "/home/u/src/vorn_htm/build",
       {"/home/u", "", ""},
       false,
       "/home/u/src/vorn_htm/build",
       "/home/u/src/vorn_htm/build",
       "/home/u/src/vorn_htm/build"},
      {"copy_in_another_prefix",
       "/opt/vorn/bin",
       {"/home/u", "/x/cfg", "/x/cache"},
       false,
       "/opt/vorn/bin",
       "/opt/vorn/bin",
       "/opt/vorn/bin"},
      {"bin_folder_below_the_installed_one",
       "/usr/local/bin/old",
       {"/home/u", "", ""},
       false,
       "/usr/local/bin/old",
       "/usr/local/bin/old",
       "/usr/local/bin/old"},
      {"installed_no_xdg",
       "/usr/local/bin",
       {"/home/u", "", ""},
       true,
       "/home/u/.config/vorn_htm",
       "/home/u/.cache/vorn_htm",
       "/usr/local/share/vorn_htm"},
      {"installed_xdg_set",
       "/usr/local/bin",
       {"/home/u", "/srv/cfg", "/var/tmp/c/"},
       true,
       "/srv/cfg/vorn_htm",
       "/var/tmp/c/vorn_htm",
       "/usr/local/share/vorn_htm"},
      {"installed_xdg_relative_ignored",
       "/usr/local/bin",
       {"/home/u", "cfg", "./cache"},
       true,
       "/home/u/.config/vorn_htm",
       "/home/u/.cache/vorn_htm",
       "/usr/local/share/vorn_htm"},
      {"package_place",
       "/usr/bin",
       {"/root", "", ""},
       true,
       "/root/.config/vorn_htm",
       "/root/.cache/vorn_htm",
       "/usr/share/vorn_htm"},
      {"untidy_exe_folder",
       "/usr//bin/",
       {"/home/u/", "", ""},
       true,
       "/home/u/.config/vorn_htm",
       "/home/u/.cache/vorn_htm",
       "/usr/share/vorn_htm"},
      {"home_is_root_folder",
       "/usr/bin",
       {"/", "", ""},
       true,
       "/.config/vorn_htm",
       "/.cache/vorn_htm",
       "/usr/share/vorn_htm"},
      {"home_relative_taken_as_root_folder",
       "/usr/bin",
       {"home", "", ""},
       true,
       "/.config/vorn_htm",
       "/.cache/vorn_htm",
       "/usr/share/vorn_htm"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ProgramFolders f = choose_program_folders(r.exe_dir, kPlaces, r.env);
    EXPECT_EQ(f.installed, r.installed);
    EXPECT_EQ(f.App_Dir, r.app);
    EXPECT_EQ(f.Sample_Dir, r.sample);
    EXPECT_EQ(f.Help_Dir, r.help);
  }
  EXPECT_FALSE(choose_program_folders("/usr/bin", {}, {"/home/u", "", ""}).installed) << "a build that knows no place";
}

// Sets (or, with nullopt, unsets) an environment variable for its lifetime.
class EnvVar {
 public:
  EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Real folders, as the program meets them: a copy's folder is its program
// folder whatever it holds and whatever the environment says; the installed
// bin folder, however it is reached, sends everything to the XDG folders.
TEST(ProgramFolders, RealFoldersAndTheEnvironment) {
  TempDir t;
  const std::string home = t / "home";
  fs::create_directories(home);
  const std::string with_ini = t / "portable";
  t.write("portable/vorn_htm.ini", "[vorn_htm]\r\nITI_PER=30\r\n");
  const std::string writable = t / "writable";
  fs::create_directories(writable);
  const std::string read_only = t / "readonly";
  fs::create_directories(read_only);
  fs::permissions(read_only, fs::perms::owner_read | fs::perms::owner_exec);
  const std::string bin = t / "prefix/bin";
  fs::create_directories(bin);
  fs::create_directory_symlink(bin, t / "linked_bin");
  const std::vector<InstalledPlace> places = {{bin, t / "prefix/share/vorn_htm"}};
  const std::vector<InstalledPlace> linked_places = {{t / "linked_bin", t / "prefix/share/vorn_htm"}};

  struct Row {
    const char* name;
    std::string exe_dir;
    const std::vector<InstalledPlace>* places;
    std::optional<std::string> xdg_config, xdg_cache;
    std::string app, sample, help;
  } rows[] = {
      {"portable_with_a_settings_file", with_ini, &places, std::nullopt, std::nullopt, with_ini, with_ini, with_ini},
      {"writable_folder_without_one", writable, &places, t / "cfg", t / "cache", writable, writable, writable},
      {"read_only_folder", read_only, &places, std::nullopt, std::nullopt, read_only, read_only, read_only},
      {"read_only_folder_xdg_set", read_only, &places, t / "cfg", t / "cache", read_only, read_only, read_only},
      {"installed_without_xdg", bin, &places, std::nullopt, std::nullopt, home + "/.config/vorn_htm",
       home + "/.cache/vorn_htm", t / "prefix/share/vorn_htm"},
      {"installed_with_xdg", bin, &places, t / "cfg", t / "cache", t / "cfg/vorn_htm", t / "cache/vorn_htm",
       t / "prefix/share/vorn_htm"},
      {"installed_xdg_empty", bin, &places, "", "", home + "/.config/vorn_htm", home + "/.cache/vorn_htm",
       t / "prefix/share/vorn_htm"},
      {"installed_bin_named_through_a_link", bin, &linked_places, std::nullopt, std::nullopt,
       home + "/.config/vorn_htm", home + "/.cache/vorn_htm", t / "prefix/share/vorn_htm"},
      {"started_through_a_link_to_the_bin_folder", t / "linked_bin", &places, std::nullopt, std::nullopt,
       home + "/.config/vorn_htm", home + "/.cache/vorn_htm", t / "prefix/share/vorn_htm"},
  };
  EnvVar h("HOME", home);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EnvVar c("XDG_CONFIG_HOME", r.xdg_config), k("XDG_CACHE_HOME", r.xdg_cache);
    ProgramFolders f = find_program_folders(r.exe_dir, *r.places);
    EXPECT_EQ(f.App_Dir, r.app);
    EXPECT_EQ(f.Sample_Dir, r.sample);
    EXPECT_EQ(f.Help_Dir, r.help);
  }
  // Nothing is made by choosing: the folders appear when a file is written.
  EXPECT_FALSE(fs::exists(home + "/.config"));
  EXPECT_FALSE(fs::exists(t / "cfg"));
  fs::permissions(read_only, fs::perms::owner_all);
}

TEST(ProgramFolders, HomeUnsetFallsBackToTheAccount) {
  EnvVar h("HOME", std::nullopt), c("XDG_CONFIG_HOME", std::nullopt);
  ProgramFolders f = find_program_folders("/usr/bin", kPlaces);
  ASSERT_TRUE(f.installed);
  EXPECT_EQ(f.App_Dir.front(), '/');
  EXPECT_EQ(f.App_Dir.substr(f.App_Dir.size() - std::string("/.config/vorn_htm").size()), "/.config/vorn_htm");
}

TEST(MakeProgramFolder, MakesEveryMissingLevelForItsOwnerOnly) {
  TempDir t;
  const std::string dir = t / "home/.config/vorn_htm";
  make_program_folder(dir);
  make_program_folder(dir + "/");  // already there: nothing happens
  for (const std::string& d : {t / "home", t / "home/.config", dir}) {
    SCOPED_TRACE(d);
    struct stat st {};
    ASSERT_EQ(::stat(d.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  // An existing folder keeps its mode.
  fs::create_directories(t / "shared");
  fs::permissions(t / "shared", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  make_program_folder(t / "shared/vorn_htm");
  struct stat st {};
  ASSERT_EQ(::stat((t / "shared").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0750u);
}

TEST(MakeProgramFolder, AFileInTheWayIsReported) {
  TempDir t;
  const std::string file = t.write("cfg", "x");
  try {
    make_program_folder(file + "/vorn_htm");
    FAIL() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number, 76);
    EXPECT_EQ(std::string(e.what()), file + ": 途中の名前がフォルダではありません (Not a directory)");
  }
}

}  // namespace
