// The main window driven as a user drives it: lists, a window run on its
// own thread, the history pop-up, volumes, menus and the start-up switch.
#include "gui/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "codec/cp932.h"
#include "core/workspace.h"
#include "gui/col_sel.h"
#include "gui/folder_tree.h"
#include "gui/window_start.h"
#include "run/command_line.h"
#include "run/window_run.h"
#include "support/scripted_host.h"

namespace {

const QString kSamples = QStringLiteral(VORN_SOURCE_DIR "/samples/");

QByteArray read_all(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write_file(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir app_, mail_, out_;
  SilentUi silent_;
  Workspace ws_{silent_};

  std::unique_ptr<vorn_htm> open_window() {
    ws_.App_Dir = ws_.Sample_Dir = ws_.Help_Dir = app_.path().toStdString();
    QDir::setCurrent(mail_.path());
    return std::make_unique<vorn_htm>(ws_);
  }
  template <class T>
  static T* child(QObject* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
  }
  static void select(vorn_htm& w, const QStringList& names) {
    auto* list = child<QListWidget>(&w, "sel_fil");
    for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(names.contains(list->item(i)->text()));
  }

  void end_during_run_child() {
    ScriptedHost host;
    const QString folder = qEnvironmentVariable("VORN_END_DURING_RUN");
    ws_.App_Dir = ws_.Sample_Dir = ws_.Help_Dir = app_.path().toStdString();
    QDir::setCurrent(folder);
    vorn_htm w(ws_);
    select(w, {"big.mbx"});
    QVERIFY(QDir().mkdir(folder + "/out"));
    child<QLineEdit>(&w, "txtFold")->setText(folder + "/out");
    w.jik_btn_Click();
    QTest::qWait(200);
    QVERIFY(w.running());
    std::puts("ending during the run");
    child<QPushButton>(&w, "end_btn")->click();
    std::puts("still here");
  }

 private slots:
  void initTestCase() {
    QVERIFY(QFile::copy(kSamples + "ml-2004.mbx", mail_.filePath("ml-2004.mbx")));
    QVERIFY(QFile::copy(kSamples + "attachments.mbx", mail_.filePath("attachments.mbx")));
    write_file(mail_.filePath("OLD.MBX"), "From: a@example.jp\r\nSubject: x\r\n\r\nbody\r\n");
    write_file(mail_.filePath("report.doc"), "not mail");
    QVERIFY(QDir(mail_.path()).mkdir("sub.mbx"));
    write_file(app_.filePath("vorn_htm.ini"), "KB_THRE=0\r\nML_RANK=1\r\n");
  }

  void startsWithItsCaptionsAndEmptyLabels() {
    auto w = open_window();
    QCOMPARE(w->windowTitle(), QStringLiteral("MBX→HTML"));
    const struct {
      const char* name;
      const char* caption;
    } frames[] = {{"FILE_SEL", "ファイル選択"}, {"frmFold", "出力先フォルダ"}, {"Frame1", "実行経過状況"}};
    for (const auto& f : frames) QCOMPARE(child<QGroupBox>(w.get(), f.name)->title(), QString::fromUtf8(f.caption));
    QCOMPARE(child<QPushButton>(w.get(), "jik_btn")->text(), QStringLiteral("実行"));
    QCOMPARE(child<QPushButton>(w.get(), "end_btn")->text(), QStringLiteral("終了"));
    QCOMPARE(child<QPushButton>(w.get(), "btnSelDir")->text(), QStringLiteral("..."));
    const struct {
      const char* name;
      const char* caption;
    } items[] = {{"m_jikkou", "実行(&E)"},
                 {"m_end", "終了(&X)"},
                 {"set_gamen", "設定画面(&G)"},
                 {"m_readme", "vorn_htmについて(&B)"},
                 {"m_version", "ﾊﾞｰｼﾞｮﾝ情報(&I)"}};
    for (const auto& i : items) QCOMPARE(child<QAction>(w.get(), i.name)->text(), QString::fromUtf8(i.caption));
    QCOMPARE(child<QLineEdit>(w.get(), "txtFold")->text(), QString());
    QCOMPARE(child<QLabel>(w.get(), "Syori_no")->text(), QString());
    QCOMPARE(child<QLabel>(w.get(), "Syosai_no")->text(), QString());
    QCOMPARE(child<QLineEdit>(w.get(), "txtFold")->accessibleName(), QStringLiteral("出力先フォルダ"));
    if (QFontDatabase::families().contains("IPAPGothic"))
      QCOMPARE(child<QPushButton>(w.get(), "btnSelDir")->font().family(), QStringLiteral("IPAPGothic"));
  }

  // Mailbox files by extension in any letter case; folders and other files not.
  void fileListShowsTheFolderMailboxes() {
    auto w = open_window();
    QCOMPARE(child<FolderTree>(w.get(), "sel_dir")->path(), mail_.path());
    auto* list = child<QListWidget>(w.get(), "sel_fil");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
    QCOMPARE(shown, (QStringList{"OLD.MBX", "attachments.mbx", "ml-2004.mbx"}));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  }

  void aRunOnTwoFilesShowsItsStepsAsksAndOpensTheIndex() {
    ScriptedHost host;
    host.answers = {RunUi::Answer::Ok};
    auto w = open_window();
    select(*w, {"attachments.mbx", "ml-2004.mbx"});
    const QString out = out_.filePath("two");
    QVERIFY(QDir().mkdir(out));
    child<QLineEdit>(w.get(), "txtFold")->setText(out + "/");
    QSignalSpy steps(w.get(), &vorn_htm::step_text);
    QSignalSpy done(w.get(), &vorn_htm::run_finished);
    child<QPushButton>(w.get(), "jik_btn")->click();
    // While it runs the execute commands are off, and a second start does nothing.
    QVERIFY(!child<QPushButton>(w.get(), "jik_btn")->isEnabled());
    QVERIFY(!child<QAction>(w.get(), "m_jikkou")->isEnabled());
    w->m_jikkou_Click();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QStringList shown;
    for (const auto& s : steps) shown << s.at(0).toString();
    shown.removeDuplicates();
    QCOMPARE(shown, (QStringList{"(1／6)", "(2／6)", "(3／6)", "(4／6)", "(5／6)", "(6／6)"}));
    QCOMPARE(host.boxes.size(), std::size_t{1});
    QCOMPARE(host.boxes[0].title, QStringLiteral("結果表示"));
    QCOMPARE(host.boxes[0].text, QString::fromStdString(result_question(out.toStdString())));
    QVERIFY(host.boxes[0].text.startsWith("ディレクトリ：" + out + "配下に作成されました。\r"));
    QCOMPARE(host.boxes[0].buttons, DialogHost::Buttons::OkCancel);
    QCOMPARE(host.opened, QStringList{out + "/index.html"});
    QCOMPARE(host.off_thread, 0);
    QVERIFY(QFile::exists(out + "/index.html"));
    QCOMPARE(child<QLabel>(w.get(), "Syori_no")->text(), QString());
    QCOMPARE(child<QLabel>(w.get(), "Syosai_no")->text(), QString());
    QVERIFY(child<QPushButton>(w.get(), "jik_btn")->isEnabled());
    QVERIFY(child<QAction>(w.get(), "m_jikkou")->isEnabled());
  }

  // The run's own question comes up on the window thread, and the run goes
  // on with the answer: appending keeps the earlier messages.
  void theAppendQuestionIsAnsweredOnTheWindowThread() {
    ScriptedHost host;
    host.answers = {RunUi::Answer::Cancel, RunUi::Answer::Yes, RunUi::Answer::Cancel};
    auto w = open_window();
    const QString out = out_.filePath("append");
    QVERIFY(QDir().mkdir(out));
    child<QLineEdit>(w.get(), "txtFold")->setText(out);
    QSignalSpy done(w.get(), &vorn_htm::run_finished);
    select(*w, {"ml-2004.mbx"});
    w->jik_btn_Click();
    QVERIFY(done.wait(60000));
    const QByteArray first = read_all(out + "/menu.html");
    select(*w, {"OLD.MBX"});
    w->jik_btn_Click();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.at(1).at(0).toBool(), true);
    QCOMPARE(host.boxes.size(), std::size_t{3});
    QCOMPARE(host.boxes[1].title, QStringLiteral("確認"));
    QVERIFY(host.boxes[1].text.startsWith(out + "配下に既にファイルが存在します。"));
    QCOMPARE(host.boxes[1].buttons, DialogHost::Buttons::YesNoCancel);
    QCOMPARE(host.off_thread, 0);
    QVERIFY(read_all(out + "/menu.html").size() > first.size());
  }

  // The command menu's removal asks for the Message-ID, then once whether
  // to go on; a cancelled question changes nothing, an OK removes the
  // message from the archive in the output folder box.
  void theRemovalAsksForTheIdAndOnceForConfirmation() {
    ScriptedHost host;
    auto w = open_window();
    const QString out = out_.filePath("remove");
    QVERIFY(QDir().mkdir(out));
    child<QLineEdit>(w.get(), "txtFold")->setText(out);
    QSignalSpy done(w.get(), &vorn_htm::run_finished);
    select(*w, {"ml-2004.mbx"});
    w->jik_btn_Click();  // the result question is cancelled
    QVERIFY(done.wait(60000));
    const QByteArray menu = read_all(out + "/menu.html");
    const QByteArray id = "<20040105101500.A0101@example.jp>";
    QVERIFY(menu.contains("Message-ID:" + id));
    QAction* item = child<QAction>(w.get(), "m_sakujo");
    struct Row {
      const char* name;
      std::optional<QString> typed;
      RunUi::Answer answer;
    } rows[] = {
        {"input cancelled", std::nullopt, RunUi::Answer::Ok},
        {"confirmation cancelled", QString::fromLatin1(id), RunUi::Answer::Cancel},
    };
    for (const Row& r : rows) {
      host.boxes.clear();
      host.inputs = {r.typed};
      host.answers = {r.answer};
      item->trigger();
      QCOMPARE(host.boxes.size(), std::size_t{r.typed ? 2u : 1u});
      QCOMPARE(host.boxes[0].title, QStringLiteral("メッセージの削除"));
      QVERIFY2(!w->running(), r.name);
      QCOMPARE(read_all(out + "/menu.html"), menu);
    }
    host.boxes.clear();
    host.inputs = {QStringLiteral("20040105101500.A0101@example.jp")};
    host.answers = {RunUi::Answer::Ok};
    item->trigger();
    QCOMPARE(host.boxes.size(), std::size_t{2});
    QCOMPARE(host.boxes[1].title, QStringLiteral("確認"));
    QCOMPARE(host.boxes[1].buttons, DialogHost::Buttons::OkCancel);
    QVERIFY(host.boxes[1].text.contains("20040105101500.A0101@example.jp"));
    QVERIFY(!item->isEnabled());
    QVERIFY(done.wait(60000));
    QCOMPARE(done.last().at(0).toBool(), true);
    QCOMPARE(host.boxes.size(), std::size_t{2});  // no box after a removal that went well
    QCOMPARE(read_all(out + "/.vorn_htm.removed"), id + "\r\n");
    const QByteArray after = read_all(out + "/menu.html");
    QVERIFY(after.contains("<!-- Message-ID:" + id + " / In-Reply-To:"));
    QVERIFY(after.contains(QByteArray::fromStdString(cp932::from_utf8("（削除されたメッセージ）"))));
    QVERIFY(item->isEnabled());
    QCOMPARE(host.off_thread, 0);
  }

  // "終了" during a run ends the program at once. Run in a child process
  // (this same test program, told so by the environment), since it ends.
  void endDuringARunEndsTheProgramAtOnce() {
    if (qEnvironmentVariableIsSet("VORN_END_DURING_RUN")) {
      end_during_run_child();
      return;
    }
    QTemporaryDir big;
    QFile mbox(big.filePath("big.mbx"));
    QVERIFY(mbox.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20000; ++i)
      mbox.write(QStringLiteral("From: u%1@example.jp\r\nSubject: m%1\r\nMessage-ID: <%1@x>\r\n\r\nbody %1\r\n.\r\n")
                     .arg(i)
                     .toUtf8());
    mbox.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORN_END_DURING_RUN", big.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"endDuringARunEndsTheProgramAtOnce"});
    QVERIFY(child.waitForFinished(60000));
    const QString said = QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
    QVERIFY2(said.contains("ending during the run"), qPrintable(said));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY(!said.contains("still here"));
    QVERIFY(!QFile::exists(big.filePath("out/menu.html")));  // it ended before the run did
  }

  void nothingSelectedOnlyWarns() {
    ScriptedHost host;
    auto w = open_window();
    const QString out = out_.filePath("none");
    child<QLineEdit>(w.get(), "txtFold")->setText(out);
    QSignalSpy done(w.get(), &vorn_htm::run_finished);
    w->m_jikkou_Click();
    QVERIFY(done.wait(30000));
    QCOMPARE(host.texts(), QStringList{"ファイルが選択されていません。"});
    QCOMPARE(host.boxes[0].title, QStringLiteral("警告"));
    QVERIFY(!QFile::exists(out));
  }

  // The pop-up opens on a double click only when there is a history file,
  // and lists its Shift_JIS lines as folders, in file order.
  void historyPopUpNeedsAHistoryFile() {
    ScriptedHost host;
    auto w = open_window();
    const QString his = app_.filePath("vorn_htm.his");
    auto* box = child<QLineEdit>(w.get(), "txtFold");
    bool popped = false;
    QStringList listed;
    const auto double_click = [&] {
      popped = false;
      listed.clear();
      QTimer::singleShot(50, [&] {
        if (QWidget* m = QApplication::activeModalWidget()) {
          popped = m->objectName() == "OutDir_sel";
          if (auto* list = m->findChild<QListWidget*>("lstFileSel"))
            for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
          m->close();
        }
      });
      QTest::mouseDClick(box, Qt::LeftButton);
      QTest::qWait(100);
    };
    QFile::remove(his);
    double_click();
    QVERIFY(!popped);
    // A folder of that name is no history file either.
    QVERIFY(QDir().mkdir(his));
    double_click();
    QVERIFY(!popped);
    QVERIFY(QDir().rmdir(his));
    // 表 and ソ end in the byte of "\\".
    write_file(his, "/data/ml\r\n/home/\x95\x5C\x8E\xA6\x83\x5C\r\n");
    double_click();
    QVERIFY(popped);
    QCOMPARE(listed, (QStringList{"/data/ml", QStringLiteral("/home/表示ソ")}));
    QCOMPARE(box->text(), QString());
  }

  void anUnreadableVolumeGivesTheMessageAndGoesBack() {
    ScriptedHost host;
    auto w = open_window();
    w->fill_drives({"/", "/no-such-volume"});
    auto* drives = child<QComboBox>(w.get(), "sel_drv");
    QCOMPARE(drives->currentText(), QStringLiteral("/"));
    drives->setCurrentIndex(drives->findText("/no-such-volume"));
    QCOMPARE(host.texts(), QStringList{"無効なドライブが選択されました。"});
    QCOMPARE(host.boxes[0].title, QStringLiteral("エラー"));
    QCOMPARE(drives->currentText(), QStringLiteral("/"));
    QCOMPARE(w->Cur_Drive(), QStringLiteral("/"));
    QCOMPARE(child<FolderTree>(w.get(), "sel_dir")->path(), mail_.path());
  }

  void helpMenuOpensTheHelpPage() {
    ScriptedHost host;
    auto w = open_window();
    child<QAction>(w.get(), "m_readme")->trigger();
    QCOMPARE(host.opened, QStringList{app_.filePath("help_vorn_htm.html")});
  }

  void colourSwitchInAnyCaseOpensOnlyThePicker() {
    const struct {
      std::vector<const char*> words;
      bool picker;
    } rows[] = {{{"/col"}, true},     {{"/COL"}, true},  {{"/Col"}, true},
                {{"/colour"}, false}, {{"-col"}, false}, {{"/col", "x"}, false}};
    for (const auto& r : rows) {
      std::vector<char*> argv{const_cast<char*>("vorn_htm")};
      for (const char* w : r.words) argv.push_back(const_cast<char*>(w));
      QCOMPARE(is_colour_switch(static_cast<int>(argv.size()), argv.data()), r.picker);
    }
    std::unique_ptr<QWidget> start = make_start_window(ws_, true);
    QVERIFY(qobject_cast<col_sel*>(start.get()));
    for (QWidget* top : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<vorn_htm*>(top));
  }

  // "Open with": the files' folder shown and the files chosen, also one the
  // list would not show by its extension; no message when all are there.
  void openWithChoosesTheFilesInTheirFolder() {
    ScriptedHost host;
    QDir::setCurrent(out_.path());
    ws_.App_Dir = ws_.Sample_Dir = ws_.Help_Dir = app_.path().toStdString();
    vorn_htm w(ws_);
    QCOMPARE(child<FolderTree>(&w, "sel_dir")->path(), out_.path());
    w.open_files({mail_.filePath("ml-2004.mbx"), mail_.filePath("report.doc")});
    QCOMPARE(child<FolderTree>(&w, "sel_dir")->path(), mail_.path());
    auto* list = child<QListWidget>(&w, "sel_fil");
    QStringList chosen;
    for (QListWidgetItem* item : list->selectedItems()) chosen << item->text();
    chosen.sort();
    QCOMPARE(chosen, (QStringList{"ml-2004.mbx", "report.doc"}));
    QCOMPARE(list->count(), 4);  // the three mailboxes and the added file
    QCOMPARE(host.boxes.size(), std::size_t{0});
  }

  // Files of several folders: the folder of the first; a message names the
  // files left out.
  void openWithFilesOfTwoFoldersNamesThoseLeftOut() {
    ScriptedHost host;
    write_file(out_.filePath("other.mbx"), "From: a@example.jp\r\nSubject: x\r\n\r\nbody\r\n");
    auto w = open_window();
    w->open_files({mail_.filePath("attachments.mbx"), out_.filePath("other.mbx")});
    QCOMPARE(child<FolderTree>(w.get(), "sel_dir")->path(), mail_.path());
    const QList<QListWidgetItem*> chosen = child<QListWidget>(w.get(), "sel_fil")->selectedItems();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen[0]->text(), QStringLiteral("attachments.mbx"));
    QCOMPARE(host.boxes.size(), std::size_t{1});
    QVERIFY(host.boxes[0].text.contains(out_.filePath("other.mbx")));
    QVERIFY(!host.boxes[0].text.contains("attachments.mbx"));
    QFile::remove(out_.filePath("other.mbx"));
  }

  // A display that is named but does not answer: the program's own one line
  // and status 1, no abort; with mailbox files as words too.
  void aDisplayThatDoesNotAnswerIsNamedInOneLine() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("DISPLAY", ":4711");
    for (const QStringList& args : {QStringList{}, QStringList{mail_.filePath("ml-2004.mbx")}}) {
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(QStringLiteral(VORN_BINARY), args);
      QVERIFY(p.waitForFinished(30000));
      QCOMPARE(p.exitStatus(), QProcess::NormalExit);
      QCOMPARE(p.exitCode(), 1);
      QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
               QStringLiteral("vorn_htm: display :4711 cannot be opened (ディスプレイ :4711 を開けません)\n"));
    }
  }

  // Without a display the windows are not opened; the command line needs none.
  void withoutADisplayOnlyTheCommandLineRuns() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    const struct {
      QStringList args;
      int status;
      const char* says;
    } rows[] = {
        {{}, 1, "DISPLAY"},
        {{"/col"}, 1, "DISPLAY"},
        {{mail_.filePath("ml-2004.mbx")}, 2, "vorn_htm --help"},
        {{"-i", mail_.filePath("nothing*.mbx"), "-o", out_.filePath("cli")}, 1, "ファイルが選択されていません。"}};
    for (const auto& r : rows) {
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(QStringLiteral(VORN_BINARY), r.args);
      QVERIFY(p.waitForFinished(30000));
      QCOMPARE(p.exitCode(), r.status);
      QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(QString::fromUtf8(r.says)), r.says);
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
