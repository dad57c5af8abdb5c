// How the main window keeps up during a window run: runs the main window's
// conversion of one mailbox file into a new folder, with a 50 ms timer on
// the window thread, and prints the longest gap between two of its ticks,
// the run's wall time and its CPU time (user + sys, all threads).
//   vorn_window_gap MAILBOX OUTPUT-FOLDER      (QT_QPA_PLATFORM=offscreen)
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/workspace.h"
#include "gui/dialog_host.h"
#include "gui/main_window.h"
#include "gui/program_look.h"

namespace {

// Answers every question with Cancel (the result question: open nothing)
// and prints every message.
class BenchHost : public DialogHost {
 public:
  Answer message(QWidget*, const QString& title, const QString& text, Icon, Buttons) override {
    if (title != "結果表示") std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    return Answer::Cancel;
  }
  std::optional<QString> input(QWidget*, const QString&, const QString&) override { return std::nullopt; }
  void open(QWidget*, const QString&) override {}
};

double cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  use_program_fonts(app);
  if (argc != 3) {
    std::fputs("usage: vorn_window_gap MAILBOX OUTPUT-FOLDER\n", stderr);
    return 2;
  }
  const QFileInfo mailbox(QString::fromLocal8Bit(argv[1]));
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);  // the window run writes into a folder that is there
  BenchHost host;
  set_dialog_host(&host);
  QTemporaryDir program;  // no settings file: the run defaults
  SilentUi silent;
  Workspace ws(silent);
  ws.App_Dir = ws.Sample_Dir = ws.Help_Dir = program.path().toStdString();
  QDir::setCurrent(mailbox.absolutePath());

  vorn_htm window(ws);
  window.show();
  auto* files = window.findChild<QListWidget*>("sel_fil");
  for (int i = 0; i < files->count(); ++i) files->item(i)->setSelected(files->item(i)->text() == mailbox.fileName());
  window.findChild<QLineEdit*>("txtFold")->setText(out);

  std::vector<double> gaps;
  QElapsedTimer since_tick, wall;
  QTimer ticks;
  ticks.setInterval(50);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    gaps.push_back(since_tick.nsecsElapsed() / 1e6);
    since_tick.restart();
  });
  bool ok = false;
  double cpu = 0, seconds = 0;
  QObject::connect(&window, &vorn_htm::run_finished, [&](bool done) {
    seconds = wall.nsecsElapsed() / 1e9;
    cpu = cpu_seconds() - cpu;
    ok = done;
    QApplication::quit();
  });
  QTimer::singleShot(0, [&] {
    cpu = cpu_seconds();
    wall.start();
    since_tick.start();
    ticks.start();
    window.jik_btn_Click();
  });
  app.exec();
  std::sort(gaps.begin(), gaps.end());
  const double longest = gaps.empty() ? 0 : gaps.back();
  const double median = gaps.empty() ? 0 : gaps[gaps.size() / 2];
  std::printf("ok=%d wall_s=%.3f cpu_s=%.3f ticks=%zu longest_gap_ms=%.1f median_gap_ms=%.1f\n", ok ? 1 : 0, seconds,
              cpu, gaps.size(), longest, median);
  return ok ? 0 : 1;
}
