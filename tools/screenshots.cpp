// Renders each window of vorn_htm to a PNG, for the README and for looking
// at them: vorn_screenshots OUTPUT-FOLDER (run with QT_QPA_PLATFORM=offscreen
// or on a display). The windows are filled as a user would see them in use.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "core/workspace.h"
#include "gui/col_sel.h"
#include "gui/dir_sel.h"
#include "gui/ini_gmn.h"
#include "gui/main_window.h"
#include "gui/outdir_sel.h"
#include "gui/program_look.h"
#include "gui/vh_ver.h"

namespace {

bool save(QWidget& w, const QString& folder, const char* name) {
  w.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString path = folder + "/" + name;
  if (!w.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  w.hide();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  use_program_fonts(app);
  if (argc != 2) {
    std::fputs("usage: vorn_screenshots OUTPUT-FOLDER\n", stderr);
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();  // before the folder changes
  QDir().mkpath(out);
  const QString source = QStringLiteral(VORN_SOURCE_DIR);

  // A program folder with the sample settings, and a folder of mailboxes to
  // choose from.
  // (The mail folder stands in the home folder, so that the folder tree
  // shows a home rather than the temporary files of other programs.)
  QTemporaryDir app_dir, mail(QDir::homePath() + "/メール-XXXXXX");
  QFile::copy(source + "/samples/vorn_htm.ini", app_dir.filePath("vorn_htm.ini"));
  for (const char* name : {"ml-2004.mbx", "attachments.mbx", "welcome.eml", "notes.txt"})
    QFile::copy(source + "/samples/" + name, mail.filePath(name));
  QDir::setCurrent(mail.path());

  SilentUi silent;
  Workspace ws(silent);
  ws.App_Dir = ws.Sample_Dir = ws.Help_Dir = app_dir.path().toStdString();
  bool ok = true;

  vorn_htm main_window(ws);
  auto* files = main_window.findChild<QListWidget*>("sel_fil");
  for (int i = 0; i < files->count(); ++i) files->item(i)->setSelected(files->item(i)->text().endsWith(".mbx"));
  main_window.findChild<QLineEdit*>("txtFold")->setText("/home/user/archive/ml-2004");
  main_window.findChild<QLabel*>("Syori_no")->setText("(2／6)");
  main_window.findChild<QLabel*>("Syosai_no")->setText("(1204／3310)");
  ok &= save(main_window, out, "main_window.png");

  ini_gmn settings(ws.App_Dir, ws.Sample_Dir, ws.Help_Dir);
  ok &= save(settings, out, "settings_screen.png");

  QString colour = "007f00";
  col_sel picker(colour);
  ok &= save(picker, out, "colour_picker.png");

  QLineEdit box;
  dir_sel chooser(&box, ws.Help_Dir);
  ok &= save(chooser, out, "folder_chooser.png");

  OutDir_sel history(&box, {"/home/user/archive/ml-2004", "/srv/www/ml", "/home/user/web/mail"}, QPoint(40, 40));
  ok &= save(history, out, "history_popup.png");

  vh_ver about(ws.Help_Dir);
  ok &= save(about, out, "version_dialog.png");
  return ok ? 0 : 1;
}
