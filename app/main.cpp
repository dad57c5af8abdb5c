// vorn_htm: mailbox files of Japanese mail into a static HTML archive.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/program_folders.h"
#include "core/workspace.h"
#include "run/command_line.h"
#include "run/console_ui.h"
#ifdef VORN_WINDOWS
#include "run/gui/window_start.h"
#endif

namespace {

const char kUsage[] =
    "使い方: vorn_htm -i 入力ファイル -o 出力先フォルダ [-d Y|N]\n"
    "Usage:  vorn_htm -i MAILBOX-OR-PATTERN -o OUTPUT-FOLDER [-d Y|N]\n"
    "\n"
    "  -i  メールボックスファイル (*.mbx *.eml *.alm *.kml *.bmf *.txt)、ワイルドカード可\n"
    "      mailbox file, or a quoted pattern such as 'mail/*.mbx'\n"
    "  -o  出力先フォルダ (なければ作成します)\n"
    "      output folder (created when missing; its parent must exist)\n"
    "  -d  Y: 出力先のファイルを削除して作り直す / N (既定): 追加する\n"
    "      Y: delete the folder's files and rebuild / N (default): append\n"
    "\n"
    "Exit status: 0 archive written, 2 invalid options, 75 output folder busy, 1 any other stop.\n";

// The usage text, with the folder this program keeps its settings and history in.
std::string Usage(const ProgramFolders& folders) {
  std::string text = kUsage;
  text += "\n設定ファイル vorn_htm.ini と履歴 vorn_htm.his のフォルダ:\n";
  text += "Settings file vorn_htm.ini and history vorn_htm.his are kept in:\n  " + folders.App_Dir + "\n";
  if (folders.installed)
    text += "(XDG_CONFIG_HOME/vorn_htm, default ~/.config/vorn_htm; see man vorn_htm)\n";
  else
    text += "(the program's own folder: this copy is not run from its installed place)\n";
  return text;
}

// The places this program is installed to, as the build knows them: the
// prefix of cmake --install and the prefix of the Debian package.
std::vector<InstalledPlace> Installed_Places() {
  std::vector<InstalledPlace> places;
#if defined(VORN_INSTALL_BINDIR) && defined(VORN_INSTALL_DATADIR)
  places.push_back({VORN_INSTALL_BINDIR, VORN_INSTALL_DATADIR});
#endif
#if defined(VORN_PACKAGE_BINDIR) && defined(VORN_PACKAGE_DATADIR)
  places.push_back({VORN_PACKAGE_BINDIR, VORN_PACKAGE_DATADIR});
#endif
  return places;
}

// The folder of the running program, without a final "/".
std::string program_folder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// An archive's lists hold hundreds of megabytes of small strings, and on a
// kernel that gives transparent huge pages only on request ("madvise", the
// Debian default) every 4 KB of them costs a page fault. glibc asks for huge
// pages when its hugetlb tunable is set (an append of 1,000 messages into
// 200,000 took about 30% less time); tunables are read only at start-up, so
// the program starts itself once more with it set. Tunables the user set
// are left alone, and so is a program run under a tool that preloads its
// libraries (valgrind, heaptrack), which a new start would leave behind. The
// marker keeps the second start from a third.
void Prefer_Huge_Pages(char** argv) {
  constexpr const char* kMarker = "VORN_HTM_HUGE_PAGES";
  if (std::getenv(kMarker)) {
    ::unsetenv(kMarker);
    ::unsetenv("GLIBC_TUNABLES");  // not handed on to programs started later
    return;
  }
  if (std::getenv("GLIBC_TUNABLES") || std::getenv("LD_PRELOAD")) return;
  char mode[128] = {};
  if (std::FILE* f = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r")) {
    if (!std::fgets(mode, sizeof mode, f)) mode[0] = '\0';
    std::fclose(f);
  }
  if (!std::strstr(mode, "[madvise]")) return;
  ::setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1);
  ::setenv(kMarker, "1", 1);
  ::execv("/proc/self/exe", argv);
  // Not started again: go on as we are.
  ::unsetenv(kMarker);
  ::unsetenv("GLIBC_TUNABLES");
}

}  // namespace

int main(int argc, char** argv) {
  Prefer_Huge_Pages(argv);
  const ProgramFolders folders = Find_Program_Folders(program_folder(), Installed_Places());
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(Usage(folders).c_str(), stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("vorn_htm Version 2.24.0000");
    return 0;
  }

  const std::vector<std::string> words(argv + 1, argv + argc);

  ConsoleUi ui;
  try {
    // The run's lists may hold millions of lines. The process ends right
    // after the run, so their memory goes back with it instead of being freed
    // line by line (a held pointer, so leak checkers see it as reachable).
    static Workspace* const ws = new Workspace(ui);
    ws->App_Dir = folders.App_Dir;
    ws->Sample_Dir = folders.Sample_Dir;
    ws->Help_Dir = folders.Help_Dir;
#ifdef VORN_WINDOWS
    // No words, or "/col" alone: the windows; anything else is the command line.
    if (words.empty() || Is_Colour_Switch(argc, argv)) return Window_Start(argc, argv, *ws, !words.empty());
#endif
    if (words.empty()) {
      std::fputs(Usage(folders).c_str(), stderr);
      return 2;
    }
    return Check_Option(*ws, words);
  } catch (const std::exception& e) {
    ui.message("エラー", std::string("エラーが発生しました。") + e.what(), RunUi::Icon::Critical);
    return 1;
  }
}
