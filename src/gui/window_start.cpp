#include "gui/window_start.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

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

// The display the windows were to open on, as the environment names it.
std::string display_name() {
  for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(name);
    if (v && *v) return v;
  }
  return {};
}

// Until the application object exists, the toolkit's messages are held
// back: a fatal one means that no platform could be opened (a display that
// does not answer), and the program then says so itself in one line and ends
// with status 1, instead of the toolkit's lines, abort and core dump. When
// the start succeeds, the held messages go to the toolkit's own handler.
QtMessageHandler toolkit_handler = nullptr;
std::vector<std::tuple<QtMsgType, std::string, QString>> held;

void starting_handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    held.emplace_back(type, context.category ? context.category : "", text);
    return;
  }
  const std::string name = display_name();
  std::fprintf(stderr, "vorn_htm: display %s cannot be opened (ディスプレイ %s を開けません)\n", name.c_str(),
               name.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

void release_held() {
  qInstallMessageHandler(toolkit_handler);
  for (const auto& [type, category, text] : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, category.c_str());
    if (toolkit_handler)
      toolkit_handler(type, context, text);
    else
      qt_message_output(type, context, text);
  }
  held.clear();
}

}  // namespace

std::unique_ptr<QWidget> make_start_window(Workspace& ws, bool colour_only) {
  if (colour_only) {
    static QString unused;
    return std::make_unique<col_sel>(unused);
  }
  return std::make_unique<vorn_htm>(ws);
}

int window_start(int argc, char** argv, Workspace& ws, bool colour_only, const std::vector<std::string>& files) {
  if (!has_display()) {
    std::fputs(
        "vorn_htm: ウィンドウを開けません。ディスプレイがありません (DISPLAY も WAYLAND_DISPLAY "
        "も設定されていません)。\n"
        "vorn_htm: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "コマンドラインで変換するには / to convert from the command line: vorn_htm -i MAILBOX -o FOLDER\n",
        stderr);
    return 1;
  }
  toolkit_handler = qInstallMessageHandler(starting_handler);
  QApplication app(argc, argv);
  release_held();
  use_program_fonts(app);
  std::unique_ptr<QWidget> window = make_start_window(ws, colour_only);
  window->show();
  if (auto* main = dynamic_cast<vorn_htm*>(window.get()); main && !files.empty()) {
    QStringList paths;
    for (const std::string& file : files) paths << QString::fromLocal8Bit(file.c_str());
    main->open_files(paths);
  }
  return app.exec();
}
