// vorn_htm: mailbox files of Japanese mail into a static HTML archive.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/program_folders.h"
#include "core/workspace.h"
#include "program_start.h"
#include "run/command_line.h"
#include "run/console_ui.h"
#include "run/start_rule.h"
#include "version.h"

namespace {

const char kUsage[] =
    "使い方: vorn_htm -i 入力ファイル -o 出力先フォルダ [-d Y|N]\n"
    "        vorn_htm --remove Message-ID... -o 出力先フォルダ\n"
    "Usage:  vorn_htm -i MAILBOX-OR-PATTERN -o OUTPUT-FOLDER [-d Y|N]\n"
    "        vorn_htm --remove MESSAGE-ID... -o OUTPUT-FOLDER\n"
    "\n"
    "  -i  メールボックスファイル (*.mbx *.eml *.alm *.kml *.bmf *.txt)、ワイルドカード可\n"
    "      mailbox file, or a quoted pattern such as 'mail/*.mbx'\n"
    "  -o  出力先フォルダ (なければ作成します)\n"
    "      output folder (created when missing; its parent must exist)\n"
    "  -d  Y: 出力先のファイルを削除して作り直す / N (既定): 追加する\n"
    "      Y: delete the folder's files and rebuild / N (default): append\n"
    "  --remove  メッセージをアーカイブから削除 (ページは通知だけになり、以後の実行でも取り込みません)\n"
    "      take the messages out of the archive for good (their pages keep only a notice;\n"
    "      later runs leave them out); Message-IDs with or without <>\n"
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

// The windows are a program of their own, so that the command line (and so
// every nightly run from cron) starts without loading Qt and the forty
// libraries that come with it. It stands beside this one in a build or a
// portable folder, in PREFIX/lib/vorn_htm where installed. Returns only when
// it is not there.
void start_windows(const std::string& folder, char** argv) {
  for (const std::string& path : {folder + "/vorn_htm-windows", folder + "/../lib/vorn_htm/vorn_htm-windows"}) {
    if (::access(path.c_str(), X_OK) != 0) continue;
    ::setenv(kProgramFolderVar, folder.c_str(), 1);
    prefer_huge_pages(path.c_str(), argv);
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "vorn_htm: %s: %s\n", path.c_str(), std::strerror(errno));
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = program_folder();
  // No words, "/col" alone, or mailbox files to open in the window (a file
  // manager's "Open with", where a display is named): the windows; anything
  // else is the command line.
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (choose_start(words, display_named(), is_existing_file) != StartAs::command_line) start_windows(folder, argv);
  // Huge pages repay a second start of the program (some 20 ms) only where
  // a run holds much in memory: a large mailbox, or the lists of a large
  // archive. A small nightly append starts once.
  constexpr std::uint64_t kHugePagesFrom = 8u << 20;
  if (run_bytes_estimate(parse_options(words)) >= kHugePagesFrom) prefer_huge_pages("/proc/self/exe", argv);
  return_big_blocks();
  const ProgramFolders folders = find_program_folders(folder, installed_places());
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(Usage(folders).c_str(), stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("vorn_htm Version %d.%02d.%04d\n", kVersionMajor, kVersionMinor, kVersionPatch);
    return 0;
  }

  ConsoleUi ui;
  try {
    // The run's lists may hold millions of lines. The process ends right
    // after the run, so their memory goes back with it instead of being freed
    // line by line (a held pointer, so leak checkers see it as reachable).
    static Workspace* const ws = new Workspace(ui);
    ws->App_Dir = folders.App_Dir;
    ws->Sample_Dir = folders.Sample_Dir;
    ws->Help_Dir = folders.Help_Dir;
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
