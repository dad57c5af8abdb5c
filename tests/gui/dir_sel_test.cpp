// The folder chooser driven as a user would, in a temporary folder tree:
// the tree it shows, confirming, deleting, creating, changing drives, help.
#include "gui/dir_sel.h"

#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <string>

#include "gui/parent_dir.h"
#include "gui/program_look.h"
#include "support/scripted_host.h"

Q_DECLARE_METATYPE(DialogHost::Answer)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

void make_folder(const QString& path) { QVERIFY2(QDir().mkpath(path), qPrintable(path)); }

void make_file(const QString& path) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write("x");
}

QTreeWidgetItem* current_item(dir_sel& d) { return d.findChild<QTreeWidget*>("sel_dir")->currentItem(); }

// The entry of the tree whose folder is path, or null.
QTreeWidgetItem* item_of(dir_sel& d, const QString& path) {
  QTreeWidget* tree = d.findChild<QTreeWidget*>("sel_dir");
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->data(0, Qt::UserRole).toString() == path) return *it;
  return nullptr;
}

void click(dir_sel& d, const char* button) { d.findChild<QPushButton*>(button)->click(); }
void trigger(dir_sel& d, const char* action) { d.findChild<QAction*>(action)->trigger(); }

}  // namespace

class DirSelTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QString base_;  // a folder of the tree with Japanese and a blank in its name
  QString start_dir_;

 private slots:
  void init() {
    QVERIFY(tmp_.isValid());
    base_ = tmp_.path() + "/データ 2026";
    start_dir_ = QDir::currentPath();
  }
  void cleanup() {
    QDir::setCurrent(start_dir_);
    QDir(tmp_.path()).removeRecursively();
    QDir().mkpath(tmp_.path());
  }

  void controls_and_captions() {
    QLineEdit box;
    dir_sel d(&box, "/help");
    QCOMPARE(d.objectName(), QString("dir_sel"));
    QCOMPARE(d.windowTitle(), QString("フォルダ選択"));
    const std::pair<const char*, const char*> buttons[] = {
        {"btnAdd", "新規作成"}, {"btnDel", "削 除"}, {"btnKakutei", "確 定"}, {"btnCansel", "CANSEL"}};
    for (const auto& [name, caption] : buttons) {
      QPushButton* b = d.findChild<QPushButton*>(name);
      QVERIFY2(b, name);
      QCOMPARE(b->text(), QString(caption));
    }
    const std::pair<const char*, const char*> items[] = {{"mnu_add", "新規作成(&A)"},
                                                         {"mnu_del", "削除(&D)"},
                                                         {"mnu_kakutei", "確定(&S)"},
                                                         {"mnu_cansel", "CANSEL(&C)"},
                                                         {"mnu_setsumei", "画面説明(&H)"}};
    for (const auto& [name, caption] : items) {
      QAction* a = d.findChild<QAction*>(name);
      QVERIFY2(a, name);
      QCOMPARE(a->text(), QString(caption));
    }
    QVERIFY(d.findChild<QAction*>("mnu_kugiri")->isSeparator());
    QVERIFY(d.findChild<QTreeWidget*>("sel_dir"));
    QVERIFY(d.findChild<QComboBox*>("sel_drv"));
  }

  // The chooser opens on the process's current folder.
  void starts_at_current_folder() {
    make_folder(base_ + "/old");
    QVERIFY(QDir::setCurrent(base_ + "/old"));
    dir_sel d(nullptr, "/help");
    QCOMPARE(d.open_folder(), base_ + "/old");
    QCOMPARE(current_item(d)->data(0, Qt::UserRole).toString(), base_ + "/old");
  }

  // The tree: the volume root down to the open folder, then its subfolders
  // (hidden ones left out, sorted without regard to case).
  void tree_shows_path_and_subfolders() {
    for (const char* sub : {"b", "A", ".hidden", "c d"}) make_folder(base_ + "/old/" + sub);
    make_file(base_ + "/old/file.txt");
    dir_sel d(nullptr, "/help");
    QVERIFY(d.set_open_folder(base_ + "/old/"));
    QCOMPARE(d.open_folder(), base_ + "/old");

    QTreeWidgetItem* open = current_item(d);
    QStringList children;
    for (int i = 0; i < open->childCount(); ++i) children << open->child(i)->text(0);
    QCOMPARE(children, (QStringList{"A", "b", "c d"}));
    QStringList chain;
    for (QTreeWidgetItem* up = open; up; up = up->parent()) chain.prepend(up->data(0, Qt::UserRole).toString());
    QCOMPARE(chain.back(), base_ + "/old");
    QCOMPARE(chain.front(), QString("/"));
    for (int i = 1; i < chain.size(); ++i) QCOMPARE(from_utf8(Parent_Dir(to_utf8(chain[i]))), chain[i - 1]);
  }

  // Double click and Enter open a folder; a mere highlight opens nothing,
  // and the commands act on the open folder.
  void opening_folders() {
    make_folder(base_ + "/old/A/deep");
    QLineEdit box;
    dir_sel d(&box, "/help");
    d.set_open_folder(base_ + "/old");
    d.show();
    QTreeWidget* tree = d.findChild<QTreeWidget*>("sel_dir");

    QTreeWidgetItem* a = item_of(d, base_ + "/old/A");
    QVERIFY(a);
    emit tree->itemDoubleClicked(a, 0);
    QCOMPARE(d.open_folder(), base_ + "/old/A");
    QVERIFY(item_of(d, base_ + "/old/A/deep"));

    tree->setCurrentItem(item_of(d, base_));
    QCOMPARE(d.open_folder(), base_ + "/old/A");
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(d.open_folder(), base_);
    QVERIFY(d.isVisible());  // Enter in the list opened a folder and pressed no button

    tree->setCurrentItem(item_of(d, base_ + "/old"));
    click(d, "btnKakutei");
    QCOMPARE(box.text(), base_);

    // A folder removed since the tree was read: the nearest one above it.
    d.set_open_folder(base_ + "/old");
    QTreeWidgetItem* gone = item_of(d, base_ + "/old/A");
    QDir(base_ + "/old/A").removeRecursively();
    emit tree->itemDoubleClicked(gone, 0);
    QCOMPARE(d.open_folder(), base_ + "/old");
  }

  void confirm_and_cancel_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("confirms");
    QTest::newRow("button 確 定") << "btnKakutei" << true;
    QTest::newRow("menu 確定") << "mnu_kakutei" << true;
    QTest::newRow("button CANSEL") << "btnCansel" << false;
    QTest::newRow("menu CANSEL") << "mnu_cansel" << false;
    QTest::newRow("Escape") << "Escape" << false;
  }
  void confirm_and_cancel() {
    QFETCH(QString, how);
    QFETCH(bool, confirms);
    make_folder(base_ + "/old");
    ScriptedHost host;
    QLineEdit box("before");
    dir_sel d(&box, "/help");
    d.set_open_folder(base_ + "/old");
    d.show();
    if (how == "Escape")
      QTest::keyClick(d.findChild<QTreeWidget*>("sel_dir"), Qt::Key_Escape);
    else if (how.startsWith("btn"))
      click(d, qPrintable(how));
    else
      trigger(d, qPrintable(how));
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), confirms ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(box.text(), confirms ? base_ + "/old" : QString("before"));
    QVERIFY(host.boxes.empty());
  }

  void delete_folder_data() {
    QTest::addColumn<QString>("content");  // what the open folder holds
    QTest::addColumn<DialogHost::Answer>("answer");
    QTest::addColumn<QStringList>("texts");  // of the boxes; "Q" stands for the question
    QTest::addColumn<bool>("removed");
    const QString refused = "空のフォルダ以外は削除出来ません。";
    const QString failed = "フォルダの削除に失敗しました。";
    QTest::newRow("empty, OK") << "" << DialogHost::Answer::Ok << QStringList{"Q"} << true;
    QTest::newRow("empty, Cancel") << "" << DialogHost::Answer::Cancel << QStringList{"Q"} << false;
    QTest::newRow("one file") << "file.txt" << DialogHost::Answer::Ok << QStringList{refused} << false;
    QTest::newRow("only an empty subfolder") << "sub/" << DialogHost::Answer::Ok << QStringList{"Q", failed} << false;
    QTest::newRow("only a hidden file") << ".hidden" << DialogHost::Answer::Ok << QStringList{"Q", failed} << false;
  }
  void delete_folder() {
    QFETCH(QString, content);
    QFETCH(DialogHost::Answer, answer);
    QFETCH(QStringList, texts);
    QFETCH(bool, removed);
    const QString old = base_ + "/old";
    make_folder(old);
    if (content.endsWith('/'))
      make_folder(old + "/" + content);
    else if (!content.isEmpty())
      make_file(old + "/" + content);

    ScriptedHost host;
    host.answers = {answer};
    dir_sel d(nullptr, "/help");
    d.set_open_folder(old);
    click(d, "btnDel");

    const QString question = old + " を削除します。よろしいですか？";
    texts.replaceInStrings(QRegularExpression("^Q$"), question);
    QCOMPARE(host.texts(), texts);
    for (const ScriptedHost::Box& box : host.boxes) {
      const bool is_question = box.text == question;
      QCOMPARE(box.title, is_question ? QString("確認") : QString("エラー"));
      QCOMPARE(box.icon, is_question ? DialogHost::Icon::Question : DialogHost::Icon::Critical);
      QCOMPARE(box.buttons, is_question ? DialogHost::Buttons::OkCancel : DialogHost::Buttons::Ok);
    }
    QCOMPARE(QDir(old).exists(), !removed);
    QCOMPARE(d.open_folder(), removed ? base_ : old);
    QCOMPARE(current_item(d)->data(0, Qt::UserRole).toString(), d.open_folder());
    if (removed) QVERIFY(!item_of(d, old));
  }

  void new_folder_lists_parent() {
    const QString old = base_ + "/old";
    make_folder(old);
    ScriptedHost host;
    host.inputs = {QString("新しい フォルダ")};
    dir_sel d(nullptr, "/help");
    d.set_open_folder(old);
    trigger(d, "mnu_add");
    QCOMPARE(host.texts(), QStringList{"新規作成するフォルダ名を入力して下さい。"});
    QVERIFY(QDir(old + "/新しい フォルダ").exists());
    QCOMPARE(d.open_folder(), base_);
    QVERIFY(item_of(d, old));
  }

  void new_folder_nothing_typed_data() {
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("empty") << std::optional<QString>(QString());
  }
  void new_folder_nothing_typed() {
    QFETCH(std::optional<QString>, typed);
    make_folder(base_ + "/old");
    ScriptedHost host;
    host.inputs = {typed};
    dir_sel d(nullptr, "/help");
    d.set_open_folder(base_ + "/old");
    click(d, "btnAdd");
    QCOMPARE(host.boxes.size(), std::size_t(1));
    QCOMPARE(d.open_folder(), base_ + "/old");
    QVERIFY(QDir(base_ + "/old").isEmpty());
  }

  // Names that make no folder inside the open one: a clear refusal, the
  // chooser stays open where it was, and nothing is created.
  void new_folder_refused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("says");  // part of the refusal
    QTest::newRow("slash") << "/"
                           << "「/」は使えません";
    QTest::newRow("slash inside") << "a/b"
                                  << "「/」は使えません";
    QTest::newRow("dot") << "."
                         << "「.」と「..」はフォルダ名に使えません";
    QTest::newRow("dot dot") << ".."
                             << "「.」と「..」はフォルダ名に使えません";
    QTest::newRow("name in use") << "taken"
                                 << "/old/taken を作成出来ませんでした。\r同じ名前のものが既にあります";
    QTest::newRow("open folder removed meanwhile") << "gone/x"
                                                   << "";  // filled in below
    QTest::newRow("no permission") << "locked/x"
                                   << "";  // filled in below: inside a read-only folder
  }
  void new_folder_refused() {
    QFETCH(QString, name);
    QFETCH(QString, says);
    QString open = base_ + "/old";
    make_folder(open);
    make_file(open + "/taken");
    if (name == "locked/x") {
      if (::geteuid() == 0) QSKIP("root may write into any folder");
      open += "/locked";
      make_folder(open);
      QFile::setPermissions(open, QFile::ReadOwner | QFile::ExeOwner);
      name = "x";
      says = "/old/locked/x を作成出来ませんでした。\rアクセスが許可されていません";
    }
    const bool remove_open = name == "gone/x";
    if (remove_open) {
      open += "/gone";
      make_folder(open);
      name = "x";
      says = "/old/gone/x を作成出来ませんでした。\rファイルまたはフォルダがありません";
    }
    const QStringList before = QDir(open).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    ScriptedHost host;
    host.inputs = {name};
    dir_sel d(nullptr, "/help");
    d.set_open_folder(open);
    d.show();
    if (remove_open) QVERIFY(QDir(open).removeRecursively());
    click(d, "btnAdd");
    QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(host.boxes.size(), std::size_t(2));
    QCOMPARE(host.boxes[1].title, QString("エラー"));
    QCOMPARE(host.boxes[1].icon, DialogHost::Icon::Critical);
    QVERIFY2(host.boxes[1].text.contains(says), qPrintable(host.boxes[1].text));
    QVERIFY(d.isVisible());
    QCOMPARE(d.open_folder(), open);
    QCOMPARE(QDir(open).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
  }

  // A drive is a volume's root: the tree starts there, a change of drive goes
  // back to the folder last open on it, and the root is its own parent. A
  // folder added to the list stands in for a second volume.
  void changing_drives() {
    const QString home = tmp_.path() + "/home/work";
    const QString vol = tmp_.path() + "/vol";
    make_folder(home);
    make_folder(vol + "/x/y");
    QVERIFY(QDir::setCurrent(home));
    ScriptedHost host;
    dir_sel d(nullptr, "/help");
    QComboBox* drives = d.findChild<QComboBox*>("sel_drv");
    const QString first = drives->currentText();
    drives->addItem(vol);

    drives->setCurrentText(vol);
    QCOMPARE(d.open_folder(), vol);
    QTreeWidget* tree = d.findChild<QTreeWidget*>("sel_dir");
    QCOMPARE(tree->topLevelItem(0)->text(0), vol);
    emit tree->itemDoubleClicked(item_of(d, vol + "/x"), 0);
    QCOMPARE(d.open_folder(), vol + "/x");

    drives->setCurrentText(first);
    QCOMPARE(d.open_folder(), home);
    drives->setCurrentText(vol);
    QCOMPARE(d.open_folder(), vol + "/x");

    // The folder last open there is gone: the nearest one above it.
    drives->setCurrentText(first);
    QDir(vol + "/x").removeRecursively();
    drives->setCurrentText(vol);
    QCOMPARE(d.open_folder(), vol);

    // At the root of a volume the list stays at the root after a new folder,
    // and the root itself is never offered for removal.
    host.inputs = {QString("new")};
    click(d, "btnAdd");
    QVERIFY(QDir(vol + "/new").exists());
    QCOMPARE(d.open_folder(), vol);
    QDir(vol + "/new").removeRecursively();
    click(d, "btnDel");
    QCOMPARE(host.texts().back(), QString("フォルダの削除に失敗しました。"));
    QVERIFY(QDir(vol).exists());
    QCOMPARE(host.boxes.size(), std::size_t(2));
    QCOMPARE(drives->currentText(), vol);
  }

  void unreadable_drive_returns() {
    make_folder(base_);
    ScriptedHost host;
    dir_sel d(nullptr, "/help");
    d.set_open_folder(base_);
    QComboBox* drives = d.findChild<QComboBox*>("sel_drv");
    const QString good = drives->currentText();
    drives->addItem(tmp_.path() + "/no such volume");
    drives->setCurrentIndex(drives->count() - 1);
    QCOMPARE(host.texts(), QStringList{"無効なドライブが選択されました。"});
    QCOMPARE(host.boxes[0].title, QString("エラー"));
    QCOMPARE(host.boxes[0].icon, DialogHost::Icon::Critical);
    QCOMPARE(drives->currentText(), good);
    QCOMPARE(d.open_folder(), base_);
  }

  void help_opens_page() {
    ScriptedHost host;
    dir_sel d(nullptr, "/opt/ヘルプ 1");
    trigger(d, "mnu_setsumei");
    QCOMPARE(host.opened, QStringList{"/opt/ヘルプ 1/help_dir_sel.html"});
  }

  void parent_dir_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("parent");
    QTest::newRow("two levels") << "/data/old"
                                << "/data";
    QTest::newRow("one level") << "/data"
                               << "/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("trailing slash") << "/data/old/"
                                    << "/data";
    QTest::newRow("Japanese names") << "/データ/表示ソ"
                                    << "/データ";
    QTest::newRow("no slash") << "data"
                              << "data";
  }
  void parent_dir() {
    QFETCH(QString, folder);
    QFETCH(QString, parent);
    QCOMPARE(from_utf8(Parent_Dir(to_utf8(folder))), parent);
  }
};

QTEST_MAIN(DirSelTest)
#include "dir_sel_test.moc"
