#include "gui/window_start.h"

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "core/workspace.h"
#include "gui/col_sel.h"
#include "gui/main_window.h"
#include "gui/program_look.h"

namespace {

bool has_display() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* v = std::getenv(name);
    if (v && *v) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<QWidget> make_start_window(Workspace& ws, bool colour_only) {
  if (colour_only) {
    static QString unused;
    return std::make_unique<col_sel>(unused);
  }
  return std::make_unique<vorn_htm>(ws);
}

int window_start(int argc, char** argv, Workspace& ws, bool colour_only) {
  if (!has_display()) {
    std::fputs(
        "vorn_htm: ウィンドウを開けません。ディスプレイがありません (DISPLAY も WAYLAND_DISPLAY "
        "も設定されていません)。\n"
        "vorn_htm: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "コマンドラインで変換するには / to convert from the command line: vorn_htm -i MAILBOX -o FOLDER\n",
        stderr);
    return 1;
  }
  QApplication app(argc, argv);
  use_program_fonts(app);
  std::unique_ptr<QWidget> window = make_start_window(ws, colour_only);
  window->show();
  return app.exec();
}
