#include "core/program_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "core/file_info.h"
#include "core/vb_error.h"

namespace {

const char kProgramName[] = "vorn_htm";

// "a//b/./c/" -> "a/b/c"; "/" stays "/".
std::string normal_folder(const std::string& dir) {
  std::string s = std::filesystem::path(dir).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool is_absolute(const std::string& s) { return !s.empty() && s[0] == '/'; }

// $XDG_..._HOME/vorn_htm when the variable holds an absolute path, else
// home + "/" + fallback + "/vorn_htm".
std::string per_user_folder(const std::string& xdg, const std::string& home, const char* fallback) {
  const std::string base = is_absolute(xdg) ? normal_folder(xdg) : join_path(home == "/" ? "" : home, fallback);
  return join_path(base == "/" ? "" : base, kProgramName);
}

std::string env_text(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The folder as the file system resolves it, links and ".." included; as it
// stands (made normal) when it does not exist.
std::string resolved(const std::string& dir) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(dir, ec);
  return ec ? normal_folder(dir) : normal_folder(p.string());
}

}  // namespace

ProgramFolders choose_program_folders(const std::string& exe_dir, const std::vector<InstalledPlace>& places,
                                      const FolderEnv& env) {
  ProgramFolders f;
  const std::string here = normal_folder(exe_dir);
  for (const InstalledPlace& place : places) {
    if (place.bin_dir.empty() || normal_folder(place.bin_dir) != here) continue;
    const std::string home = is_absolute(env.home) ? normal_folder(env.home) : "/";
    f.installed = true;
    f.App_Dir = per_user_folder(env.xdg_config_home, home, ".config");
    f.Sample_Dir = per_user_folder(env.xdg_cache_home, home, ".cache");
    f.Help_Dir = normal_folder(place.data_dir);
    return f;
  }
  f.App_Dir = f.Sample_Dir = f.Help_Dir = exe_dir;
  return f;
}

ProgramFolders find_program_folders(const std::string& exe_dir, const std::vector<InstalledPlace>& places) {
  FolderEnv env;
  env.home = env_text("HOME");
  if (!is_absolute(env.home)) {
    const struct passwd* pw = ::getpwuid(::getuid());
    env.home = pw && is_absolute(pw->pw_dir ? pw->pw_dir : "") ? pw->pw_dir : "/";
  }
  env.xdg_config_home = env_text("XDG_CONFIG_HOME");
  env.xdg_cache_home = env_text("XDG_CACHE_HOME");
  // Compare the folders as resolved, but hand back the executable's folder
  // and the data folder as the caller named them.
  std::vector<InstalledPlace> seen;
  for (const InstalledPlace& place : places)
    if (!place.bin_dir.empty()) seen.push_back({resolved(place.bin_dir), place.data_dir});
  ProgramFolders f = choose_program_folders(resolved(exe_dir), seen, env);
  if (!f.installed) f.App_Dir = f.Sample_Dir = f.Help_Dir = exe_dir;
  return f;
}

void make_program_folder(const std::string& dir) {
  if (is_directory(dir)) return;
  // Each level from the top, so that every folder made gets mode 0700.
  std::string path;
  std::size_t pos = 0;
  while (pos <= dir.size()) {
    std::size_t slash = dir.find('/', pos);
    if (slash == std::string::npos) slash = dir.size();
    path = dir.substr(0, slash);
    pos = slash + 1;
    if (path.empty() || path == "." || is_directory(path)) continue;
    if (::mkdir(path.c_str(), 0700) != 0 && !(errno == EEXIST && is_directory(path))) {
      const int err = errno == EEXIST ? ENOTDIR : errno;
      throw VbError(vb_code_from_errno(err), path + ": " + error_reason(err));
    }
  }
}
