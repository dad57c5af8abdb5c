// vorn_htm-windows: the program's windows, started by vorn_htm when it is
// given no words or "/col" alone.
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/program_folders.h"
#include "core/workspace.h"
#include "gui/window_start.h"
#include "program_start.h"
#include "run/command_line.h"
#include "run/console_ui.h"
#include "run/start_rule.h"

int main(int argc, char** argv) {
  prefer_huge_pages("/proc/self/exe", argv);
  return_big_blocks();
  // The folders are those of the vorn_htm that started this program; started
  // by hand from PREFIX/lib/vorn_htm, those of PREFIX/bin/vorn_htm.
  std::string folder = program_folder();
  if (const char* started_from = std::getenv(kProgramFolderVar)) {
    folder = started_from;
    ::unsetenv(kProgramFolderVar);
  } else if (folder.ends_with("/lib/vorn_htm")) {
    folder = folder.substr(0, folder.size() - 13) + "/bin";
  }
  const ProgramFolders folders = find_program_folders(folder, installed_places());
  ConsoleUi ui;
  try {
    static Workspace* const ws = new Workspace(ui);  // kept to the end, as by the command line
    ws->App_Dir = folders.App_Dir;
    ws->Sample_Dir = folders.Sample_Dir;
    ws->Help_Dir = folders.Help_Dir;
    // "Open with": the mailbox files the window starts with chosen.
    const std::vector<std::string> words(argv + 1, argv + argc);
    const bool with_files = choose_start(words, display_named(), is_existing_file) == StartAs::windows_with_files;
    return window_start(argc, argv, *ws, is_colour_switch(argc, argv), with_files ? words : std::vector<std::string>{});
  } catch (const std::exception& e) {
    ui.message("エラー", std::string("エラーが発生しました。") + e.what(), RunUi::Icon::Critical);
    return 1;
  }
}
