// vorn_htm: mailbox files of Japanese mail into a static HTML archive.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

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
    "設定ファイル vorn_htm.ini はプログラムと同じフォルダに置きます。\n"
    "The settings file vorn_htm.ini is read from the program's folder.\n"
    "Exit status: 0 archive written, 2 invalid options, 1 any other stop.\n";

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
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
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
    ws->App_Dir = program_folder();
    ws->Sample_Dir = ws->App_Dir;
    ws->Help_Dir = ws->App_Dir;
#ifdef VORN_WINDOWS
    // No words, or "/col" alone: the windows; anything else is the command line.
    if (words.empty() || Is_Colour_Switch(argc, argv)) return Window_Start(argc, argv, *ws, !words.empty());
#endif
    if (words.empty()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return Check_Option(*ws, words);
  } catch (const std::exception& e) {
    ui.message("エラー", std::string("エラーが発生しました。") + e.what(), RunUi::Icon::Critical);
    return 1;
  }
}
