// The settings screen driven as a user would: loading, the width check, the
// size buttons, the colour picker, saving, the sample and closing.
#include "gui/ini_gmn.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "codec/cp932.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "gui/col_sel.h"
#include "gui/ini_checks.h"
#include "settings/settings_table.h"
#include "support/scripted_host.h"
#include "support/temp_dir.h"

namespace {

using Icon = DialogHost::Icon;
using Buttons = DialogHost::Buttons;
using Answer = DialogHost::Answer;

std::string sj(const char* utf8) { return cp932::from_utf8(utf8); }

// The line of a settings file that starts with key (UTF-8), or "(missing)".
QString file_line(const std::string& path, const char* key) {
  for (const std::string& line : read_lines(path)) {
    const QString l = QString::fromStdString(cp932::to_utf8(line));
    if (l.startsWith(QLatin1String(key))) return l;
  }
  return "(missing)";
}

// Runs act on the colour picker once it has opened modally.
void when_picker_opens(std::function<void(col_sel*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* picker = qobject_cast<col_sel*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(picker);
    }
  });
  timer->start();
}

}  // namespace

class IniGmnTest : public QObject {
  Q_OBJECT

  // A program folder of its own for every test; sample pages go elsewhere.
  std::unique_ptr<TempDir> app_, samples_;
  std::string ini_;

  std::unique_ptr<ini_gmn> open_screen() {
    return std::make_unique<ini_gmn>(app_->path(), samples_->path(), "/help/here");
  }
  void write_ini(const char* utf8) { std::ofstream(ini_, std::ios::binary) << cp932::from_utf8(utf8); }
  std::string read_ini() { return read_file(ini_); }

  template <class T>
  static T* get(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", name);
    return c;
  }
  static void click(QWidget& w, const char* name) { get<QPushButton>(w, name)->click(); }
  static QColor swatch(QWidget& w) { return get<QFrame>(w, "g_bgr_col")->palette().color(QPalette::Window); }
  static QColor ink(QWidget& w, const char* name) {
    return get<QLabel>(w, name)->palette().color(QPalette::WindowText);
  }
  // The control a row of the settings table names, of the class its kind is shown in.
  static void has_control(QWidget& w, const SettingRow& row) {
    const std::string name(row.control);
    switch (row.kind) {
      case SettingKind::flag:
        get<QCheckBox>(w, name.c_str());
        break;
      case SettingKind::choice:
        get<QRadioButton>(w, name.c_str());
        break;
      case SettingKind::number:
        get<QLabel>(w, name.c_str());
        break;
      case SettingKind::colour:  // the swatch, or a label drawn on it
        get<QWidget>(w, name.c_str());
        break;
      case SettingKind::text:
        get<QLineEdit>(w, name.c_str());
        break;
      case SettingKind::list:
        for (int i = 0; i < 5; ++i) get<QLineEdit>(w, (name + "_" + std::to_string(i)).c_str());
        break;
    }
  }
  static void show_active(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
  }

 private slots:
  void init() {
    app_ = std::make_unique<TempDir>();
    samples_ = std::make_unique<TempDir>();
    ini_ = app_->path() + "/vorn_htm.ini";
  }

  void without_a_file_creates_it_and_closes_without_asking() {
    ScriptedHost host;
    auto w = open_screen();
    QVERIFY(host.boxes.empty());
    QVERIFY(exists(ini_));
    const std::string made = read_ini();
    QVERIFY(!w->changed());
    // The new file's values, not the screen defaults.
    QVERIFY(get<QCheckBox>(*w, "g_kob_from")->isChecked());
    QVERIFY(get<QCheckBox>(*w, "g_srch_ix")->isChecked());
    QCOMPARE(swatch(*w), QColor(255, 255, 255));
    QCOMPARE(ink(*w, "g_vlk_col"), QColor(255, 0, 0));
    QCOMPARE(ink(*w, "g_rep_col"), QColor(0, 127, 0));
    QCOMPARE(get<QLineEdit>(*w, "g_title_d_0")->text(), QString("はじめまして"));
    QCOMPARE(get<QLineEdit>(*w, "g_title_d_3")->text(), QString());
    QCOMPARE(get<QLineEdit>(*w, "g_rep_mrk")->text(), QString(">|"));
    QCOMPARE(get<QLabel>(*w, "g_ft_size")->text(), QString("2"));
    QCOMPARE(get<QLineEdit>(*w, "g_iti_per")->text(), QString("50"));
    QVERIFY(get<QRadioButton>(*w, "g_frm_sayuu")->isChecked());
    show_active(*w);
    click(*w, "end_btn");
    QVERIFY(host.boxes.empty());
    QVERIFY(!w->isVisible());
    QCOMPARE(read_ini(), made);
  }

  void every_control_named_and_captioned() {
    ScriptedHost host;
    auto w = open_screen();
    QCOMPARE(w->objectName(), QString("ini_gmn"));
    QCOMPARE(w->windowTitle(), QString("設定ファイル"));
    const std::pair<const char*, const char*> checks[] = {
        {"g_s_title", "タイトルでスレッドを結び付ける"},
        {"g_mn_subj", "タイトルを表示する"},
        {"g_mn_date", "日付を表示する"},
        {"g_mn_hasn", "発信者を表示する"},
        {"g_mn_adrs", "発信者アドレスを表示する"},
        {"g_sbj_kak", "[]の部分を表示する"},
        {"g_sbj_res", "Re: の部分を表示する"},
        {"g_kob_subj", "タイトルを表示する"},
        {"g_kob_date", "日付を表示する"},
        {"g_kob_from", "発信者を表示する"},
        {"g_kob_to", "受信者を表示する"},
        {"g_kob_thre", "関連スレッド"},
        {"g_ml_rank", "発信者の発言数ランキングを作成する"},
        {"g_te_file", "添付ファイルを展開する"},
        {"g_srch_ix", "検索用の索引を作成する"},
        {"g_nav_lnk", "前後リンク・スマホ表示"},
    };
    for (auto [name, caption] : checks) QCOMPARE(get<QCheckBox>(*w, name)->text(), QString(caption));
    QCOMPARE(get<QRadioButton>(*w, "g_frm_sayuu")->text(), QString("左右分割"));
    QCOMPARE(get<QRadioButton>(*w, "g_frm_jouge")->text(), QString("上下分割"));
    const std::pair<const char*, const char*> buttons[] = {
        {"bgr_col_btn", "背景色変更"},  {"txt_col_btn", "TEXT色変更"},
        {"lnk_col_btn", "LINK色変更"},  {"vlk_col_btn", "VLINK色変更"},
        {"rep_col_btn", "REPLY色変更"}, {"font_up", "UP"},
        {"font_down", "DOWN"},          {"sav_btn", "保存"},
        {"sam_btn", "サンプル表示"},    {"end_btn", "終了"},
    };
    for (auto [name, caption] : buttons) QCOMPARE(get<QPushButton>(*w, name)->text(), QString(caption));
    const std::pair<const char*, const char*> labels[] = {
        {"g_txt_col", "普通のテキストの色 (TEXT)"},
        {"g_lnk_col", "未参照のリンクの色 (LINK)"},
        {"g_vlk_col", "参照済のリンクの色 (VLINK)"},
        {"g_rep_col", "引用部分の色 (REPLY)"},
    };
    for (auto [name, caption] : labels) {
      QCOMPARE(get<QLabel>(*w, name)->text(), QString(caption));
      QCOMPARE(get<QLabel>(*w, name)->parentWidget(), get<QFrame>(*w, "g_bgr_col"));  // drawn on the swatch
    }
    QStringList groups;
    for (QGroupBox* g : w->findChildren<QGroupBox*>()) groups << g->title();
    for (const char* g :
         {"スレッド関係", "結び付けしないタイトル", "一覧表示項目", "タイトル詳細", "個別表示項目", "フレーム表示形式",
          "表示色", "引用文識別文字", "文字サイズ", "時刻表示形式", "その他の設定", "添付ファイルの設定", "検索の設定"})
      QVERIFY2(groups.contains(g), g);
    QStringList texts;
    for (QLabel* l : w->findChildren<QLabel*>()) texts << l->text();
    for (const char* t : {"一覧表示幅(%)", "左記のいずれかを含む行を引用文とする", "（標準＝２）",
                          "日付、時間の表示形式", "公開URL(フィード用)"})
      QVERIFY2(texts.contains(t), t);
    for (const char* name : {"g_title_d_0", "g_title_d_1", "g_title_d_2", "g_title_d_3", "g_title_d_4", "g_iti_per",
                             "g_rep_mrk", "g_date_format", "g_bas_url"})
      get<QLineEdit>(*w, name);
    const std::pair<const char*, const char*> items[] = {
        {"cmd_sav", "保存(&S)"}, {"cmd_sam", "サンプル表示(&D)"}, {"cmd_end", "終了(&X)"}, {"cmd_hlp", "画面説明(&H)"}};
    for (auto [name, caption] : items) QCOMPARE(w->findChild<QAction*>(name)->text(), QString(caption));
    QCOMPARE(w->findChild<QMenu*>("mnu_cmd")->title(), QString("ｺﾏﾝﾄﾞ(&C)"));
    QCOMPARE(w->findChild<QMenu*>("mnu_hlp")->title(), QString("ﾍﾙﾌﾟ(&H)"));
    const QList<QAction*> cmd = w->findChild<QMenu*>("mnu_cmd")->actions();
    QCOMPARE(cmd.size(), 4);
    QVERIFY(cmd[2]->isSeparator());
  }

  // A hand-edited file shows in the controls and is saved back unchanged
  // apart from what the save always writes its own way.
  void existing_file_mirrored_and_saved_back() {
    std::ofstream(ini_, std::ios::binary)
        << read_file(std::string(VORN_SOURCE_DIR) + "/tests/settings/data/edited.ini");
    ScriptedHost host;
    auto w = open_screen();
    QVERIFY(host.boxes.empty());
    QVERIFY(!w->changed());
    QVERIFY(get<QRadioButton>(*w, "g_frm_jouge")->isChecked());
    QVERIFY(!get<QRadioButton>(*w, "g_frm_sayuu")->isChecked());
    QCOMPARE(get<QLineEdit>(*w, "g_title_d_0")->text(), QString("x"));
    QCOMPARE(get<QLineEdit>(*w, "g_title_d_1")->text(), QString("こんにちは"));
    QCOMPARE(get<QLabel>(*w, "g_ft_size")->text(), QString("-2"));
    // A file of a version before the search index lacks its key: the box
    // shows the screen's default, on, and the save writes it.
    QVERIFY(get<QCheckBox>(*w, "g_srch_ix")->isChecked());
    QCOMPARE(get<QLineEdit>(*w, "g_rep_mrk")->text(), QString(" > "));
    QCOMPARE(ink(*w, "g_txt_col"), QColor(0x12, 0xAB, 0xEF));
    QCOMPARE(ink(*w, "g_vlk_col"), QColor(0, 255, 0));
    QCOMPARE(swatch(*w), QColor(255, 255, 255));
    QVERIFY(!get<QCheckBox>(*w, "g_s_title")->isChecked());
    QVERIFY(get<QCheckBox>(*w, "g_mn_subj")->isChecked());
    click(*w, "sav_btn");
    QVERIFY(host.boxes.empty());
    QCOMPARE(read_ini(), read_file(std::string(VORN_SOURCE_DIR) + "/tests/settings/data/edited_saved.ini"));
  }

  // Every row of the settings table has its control, shows its value there
  // and is saved back from it: a setting without a control, or a control
  // the screen neither fills nor reads, shows here. Two passes, so that a
  // value the screen never touches differs from the file in one of them.
  void every_setting_shown_and_saved_back_data() {
    QTest::addColumn<QString>("on_off");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("list");
    QTest::newRow("first") << "1"
                           << "-1"
                           << "#12AbEf"
                           << "a b"
                           << "a,b,c,d,e";
    QTest::newRow("second") << "0"
                            << "4"
                            << "#FEDCBA"
                            << "zz"
                            << "v,w,x,y,z";
  }
  void every_setting_shown_and_saved_back() {
    QFETCH(QString, on_off);
    QFETCH(QString, number);
    QFETCH(QString, colour);
    QFETCH(QString, text);
    QFETCH(QString, list);
    auto value = [&](const SettingRow& row) {
      switch (row.kind) {
        case SettingKind::flag:
        case SettingKind::choice:
          return on_off;
        case SettingKind::number:
          return number;
        case SettingKind::colour:
          return colour;
        case SettingKind::text:
          return text;
        case SettingKind::list:
          return list;
      }
      return QString("?");
    };
    std::string file = "[vorn_htm]\r\n";
    for (const SettingRow& row : setting_rows()) file += std::string(row.key) + "=" + value(row).toStdString() + "\r\n";
    std::ofstream(ini_, std::ios::binary) << file;
    ScriptedHost host;
    auto w = open_screen();
    for (const SettingRow& row : setting_rows()) has_control(*w, row);
    click(*w, "sav_btn");
    QVERIFY(host.boxes.empty());
    for (const SettingRow& row : setting_rows()) {
      const std::string key(row.key);
      QCOMPARE(file_line(ini_, key.c_str()), QString::fromStdString(key) + "=" + value(row));
    }
  }

  void edits_set_the_flag_and_save_clears_it_data() {
    QTest::addColumn<QString>("edit");
    QTest::newRow("check box") << "g_mn_adrs";
    QTest::newRow("option button") << "g_frm_jouge";
    QTest::newRow("title box") << "g_title_d_4";
    QTest::newRow("quote markers") << "g_rep_mrk";
    QTest::newRow("date format") << "g_date_format";
    QTest::newRow("size button") << "font_up";
    QTest::newRow("search index box") << "g_srch_ix";
    QTest::newRow("menu save") << "g_te_file";
    QTest::newRow("links check box") << "g_nav_lnk";
    QTest::newRow("address box") << "g_bas_url";
  }
  void edits_set_the_flag_and_save_clears_it() {
    QFETCH(QString, edit);
    ScriptedHost host;
    auto w = open_screen();
    show_active(*w);
    const QByteArray name = edit.toLatin1();
    QWidget* c = get<QWidget>(*w, name.constData());
    if (auto* b = qobject_cast<QAbstractButton*>(c))
      QTest::mouseClick(b, Qt::LeftButton);
    else
      QTest::keyClicks(c, "z");
    QVERIFY(w->changed());
    if (QString(QTest::currentDataTag()) == "menu save")
      w->findChild<QAction*>("cmd_sav")->trigger();
    else
      click(*w, "sav_btn");
    QVERIFY(!w->changed());
    QVERIFY(host.boxes.empty());
  }

  // The width box is checked when the focus leaves it.
  void list_width_check_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("kept");
    const QString not_number = "数値で入力して下さい。既定値に戻します。";
    const QString out_of_range = "範囲外です。1～99の範囲で入力して下さい。既定値に戻します。";
    QTest::newRow("letters") << "abc" << not_number << "50";
    QTest::newRow("empty") << "" << not_number << "50";
    QTest::newRow("full-width digits") << "３０" << not_number << "50";
    QTest::newRow("zero") << "0" << out_of_range << "50";
    QTest::newRow("hundred") << "100" << out_of_range << "50";
    QTest::newRow("very large") << "150000" << out_of_range << "50";
    QTest::newRow("beyond a double") << "1e400" << out_of_range << "50";
    QTest::newRow("half rounds to even 0") << "0.5" << out_of_range << "50";
    QTest::newRow("half rounds to even 100") << "99.5" << out_of_range << "50";
    QTest::newRow("negative") << "-5" << out_of_range << "50";
    QTest::newRow("1.5 rounds to 2") << "1.5"
                                     << ""
                                     << "1.5";
    QTest::newRow("fraction kept as typed") << "7.2"
                                            << ""
                                            << "7.2";
    QTest::newRow("just below 99.5") << "99.4"
                                     << ""
                                     << "99.4";
    QTest::newRow("blanks around") << " 30 "
                                   << ""
                                   << " 30 ";
    QTest::newRow("lowest") << "1"
                            << ""
                            << "1";
  }
  void list_width_check() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, kept);
    ScriptedHost host;
    auto w = open_screen();
    show_active(*w);
    auto* box = get<QLineEdit>(*w, "g_iti_per");
    box->setFocus();
    QVERIFY(box->hasFocus());
    box->clear();
    bool ascii = true;
    for (QChar c : typed) ascii = ascii && c.unicode() < 0x80;
    if (ascii)
      QTest::keyClicks(box, typed);
    else
      box->insert(typed);  // as an input method puts it in
    QCOMPARE(box->text(), typed);
    QVERIFY(host.boxes.empty());  // typing alone checks nothing
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!box->hasFocus());
    if (message.isEmpty()) {
      QVERIFY(host.boxes.empty());
    } else {
      QCOMPARE(host.boxes.size(), std::size_t(1));
      QCOMPARE(host.boxes[0].title, QString("Error"));
      QCOMPARE(host.boxes[0].text, message);
      QCOMPARE(host.boxes[0].icon, Icon::Critical);
    }
    QCOMPARE(box->text(), kept);
    click(*w, "sav_btn");
    QCOMPARE(file_line(ini_, "ITI_PER="), "ITI_PER=" + kept);
  }

  // A menu command does not move the focus, so it takes the width unchecked:
  // the sample shows abc in its frameset line.
  void menu_sample_takes_the_width_unchecked() {
    ScriptedHost host;
    auto w = open_screen();
    show_active(*w);
    auto* box = get<QLineEdit>(*w, "g_iti_per");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "abc");
    w->findChild<QAction*>("cmd_sam")->trigger();
    QVERIFY(host.boxes.empty());
    QCOMPARE(read_lines(samples_->path() + "/dmy_top.html").at(4), std::string("<FRAMESET COLS=abc%,*>"));
  }

  void size_buttons_data() {
    QTest::addColumn<QString>("file_size");
    QTest::addColumn<QString>("presses");  // U for UP, D for DOWN
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("changed");
    const QString up_limit = "文字サイズは１～５です。";
    const QString down_limit = "文字サイズは－３～５です。";
    QTest::newRow("UP at 5") << "5"
                             << "U"
                             << "5" << up_limit << false;
    QTest::newRow("DOWN at -3") << "-3"
                                << "D"
                                << "-3" << down_limit << false;
    QTest::newRow("five DOWN from 2") << "2"
                                      << "DDDDD"
                                      << "-3"
                                      << "" << true;
    QTest::newRow("a sixth DOWN") << "2"
                                  << "DDDDDD"
                                  << "-3" << down_limit << true;
    QTest::newRow("UP from 2 to the top") << "2"
                                          << "UUU"
                                          << "5"
                                          << "" << true;
    QTest::newRow("UP from -1") << "-1"
                                << "U"
                                << "0"
                                << "" << true;
    QTest::newRow("blanks around a number") << " 4 "
                                            << "U"
                                            << "5"
                                            << "" << true;
    QTest::newRow("hand-edited text: UP from 2") << "big"
                                                 << "U"
                                                 << "3"
                                                 << "" << true;
    QTest::newRow("hand-edited text: DOWN from 2") << "2.5"
                                                   << "D"
                                                   << "1"
                                                   << "" << true;
    QTest::newRow("empty: from 2") << ""
                                   << "D"
                                   << "1"
                                   << "" << true;
    QTest::newRow("hand-edited above the top") << "9"
                                               << "U"
                                               << "9" << up_limit << false;
    QTest::newRow("hand-edited above the top, DOWN") << "9"
                                                     << "D"
                                                     << "8"
                                                     << "" << true;
  }
  void size_buttons() {
    QFETCH(QString, file_size);
    QFETCH(QString, presses);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    QFETCH(bool, changed);
    write_ini(("[vorn_htm]\r\nFT_SIZE=" + file_size + "\r\n").toUtf8().constData());
    ScriptedHost host;
    auto w = open_screen();
    QVERIFY(!w->changed());
    QCOMPARE(get<QLabel>(*w, "g_ft_size")->text(), file_size);
    for (QChar p : presses) click(*w, p == 'U' ? "font_up" : "font_down");
    QCOMPARE(get<QLabel>(*w, "g_ft_size")->text(), shown);
    QCOMPARE(w->changed(), changed);
    if (message.isEmpty()) {
      QVERIFY(host.boxes.empty());
    } else {
      QCOMPARE(host.boxes.size(), std::size_t(1));
      QCOMPARE(host.boxes[0].title, QString("エラー"));
      QCOMPARE(host.boxes[0].text, message);
      QCOMPARE(host.boxes[0].icon, Icon::Warning);
    }
  }

  // What each way of closing the picker does to the kept colour, its sample
  // and the flag; the file shows the kept text after a save.
  void colour_buttons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("how");  // ok, moved, cancel, closebox
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("line");
    QTest::newRow("cancel changes nothing") << "rep_col_btn"
                                            << "cancel"
                                            << "007f00" << false << "REP_COL=#007f00";
    QTest::newRow("same colour sets the flag, upper case") << "rep_col_btn"
                                                           << "ok"
                                                           << "007F00" << true << "REP_COL=#007F00";
    QTest::newRow("close box hands the start back") << "rep_col_btn"
                                                    << "closebox"
                                                    << "007f00" << true << "REP_COL=#007f00";
    QTest::newRow("background to red") << "bgr_col_btn"
                                       << "moved"
                                       << "FF0000" << true << "BGR_COL=#FF0000";
    QTest::newRow("text to red") << "txt_col_btn"
                                 << "moved"
                                 << "FF0000" << true << "TXT_COL=#FF0000";
    QTest::newRow("link to red") << "lnk_col_btn"
                                 << "moved"
                                 << "FF0000" << true << "LNK_COL=#FF0000";
    QTest::newRow("visited link to red") << "vlk_col_btn"
                                         << "moved"
                                         << "FF0000" << true << "VLK_COL=#FF0000";
  }
  void colour_buttons() {
    QFETCH(QString, button);
    QFETCH(QString, how);
    QFETCH(QString, kept);
    QFETCH(bool, changed);
    QFETCH(QString, line);
    // Every colour black but the quote colour, so that "moved" makes red.
    write_ini(
        "[vorn_htm]\r\nBGR_COL=#000000\r\nTXT_COL=#000000\r\nLNK_COL=#000000\r\nVLK_COL=#000000\r\n"
        "REP_COL=#007f00\r\n");
    ScriptedHost host;
    auto w = open_screen();
    show_active(*w);
    QString start;
    when_picker_opens([&](col_sel* picker) {
      start = picker->findChild<QLabel*>("val_col")->text();
      if (how == "moved") picker->findChild<QScrollBar*>("r_sel")->setValue(255);
      if (how == "closebox")
        picker->close();
      else
        picker->findChild<QPushButton*>(how == "cancel" ? "can_btn" : "ok_btn")->click();
    });
    click(*w, button.toLatin1().constData());
    QVERIFY(!start.isEmpty());  // the picker did open
    QCOMPARE(w->changed(), changed);
    const IniScreen scr = w->screen();
    const std::map<QString, const IniColour*> colours = {{"bgr_col_btn", &scr.g_bgr_col},
                                                         {"txt_col_btn", &scr.g_txt_col},
                                                         {"lnk_col_btn", &scr.g_lnk_col},
                                                         {"vlk_col_btn", &scr.g_vlk_col},
                                                         {"rep_col_btn", &scr.g_rep_col}};
    QCOMPARE(QString::fromStdString(colours.at(button)->kept), kept);
    const QColor painted =
        button == "bgr_col_btn" ? swatch(*w) : ink(*w, ("g_" + button.mid(0, 7)).toLatin1().constData());
    QCOMPARE(painted, QColor("#" + kept));
    click(*w, "sav_btn");
    QCOMPARE(file_line(ini_, line.left(8).toLatin1().constData()), line);
  }

  void close_with_unsaved_changes_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("saved");
    QTest::newRow("end button, Cancel") << "end_btn" << true << false;
    QTest::newRow("end button, OK") << "end_btn OK" << true << true;
    QTest::newRow("end menu item, Cancel") << "cmd_end" << true << false;
    QTest::newRow("close box") << "close" << false << false;
  }
  void close_with_unsaved_changes() {
    QFETCH(QString, how);
    QFETCH(bool, asked);
    QFETCH(bool, saved);
    ScriptedHost host;
    auto w = open_screen();
    const std::string before = read_ini();
    show_active(*w);
    QTest::mouseClick(get<QCheckBox>(*w, "g_mn_adrs"), Qt::LeftButton);
    QVERIFY(w->changed());
    if (how == "end_btn OK") host.answers.push_back(Answer::Ok);
    if (how == "close")
      w->close();
    else if (how == "cmd_end")
      w->findChild<QAction*>("cmd_end")->trigger();
    else
      click(*w, "end_btn");
    QVERIFY(!w->isVisible());
    if (asked) {
      QCOMPARE(host.boxes.size(), std::size_t(1));
      QCOMPARE(host.boxes[0].title, QString("確認"));
      QCOMPARE(host.boxes[0].text, QString("変更された情報が保存されていません。保存しますか？"));
      QCOMPARE(host.boxes[0].icon, Icon::Question);
      QCOMPARE(host.boxes[0].buttons, Buttons::OkCancel);
    } else {
      QVERIFY(host.boxes.empty());
    }
    if (saved)
      QCOMPARE(file_line(ini_, "MN_ADRS="), QString("MN_ADRS=0"));
    else
      QVERIFY(read_ini() == before);
  }

  // Esc is no way of closing: the edits stay, nothing is asked.
  void escape_keeps_the_screen_open() {
    ScriptedHost host;
    auto w = open_screen();
    show_active(*w);
    QTest::mouseClick(get<QCheckBox>(*w, "g_mn_adrs"), Qt::LeftButton);
    QTest::keyClick(get<QLineEdit>(*w, "g_rep_mrk"), Qt::Key_Escape);
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(w->changed());
    QVERIFY(host.boxes.empty());
  }

  void title_boxes_saved_trimmed_without_blank_ones() {
    ScriptedHost host;
    auto w = open_screen();
    get<QLineEdit>(*w, "g_title_d_0")->setText("  x ");
    get<QLineEdit>(*w, "g_title_d_1")->setText("   ");
    get<QLineEdit>(*w, "g_title_d_2")->setText("");
    get<QLineEdit>(*w, "g_title_d_3")->setText("お知らせ");
    get<QLineEdit>(*w, "g_title_d_4")->setText("　");  // an ideographic space is not a blank
    click(*w, "sav_btn");
    QCOMPARE(file_line(ini_, "TITLE_D="), QString("TITLE_D=x,お知らせ,　"));
    for (int i = 0; i < 5; ++i) get<QLineEdit>(*w, ("g_title_d_" + std::to_string(i)).c_str())->setText(" ");
    click(*w, "sav_btn");
    QCOMPARE(file_line(ini_, "TITLE_D="), QString("TITLE_D="));
  }

  // The sample reflects the unsaved screen, goes into the sample folder and
  // is opened from there; the settings file stays as it was.
  void sample_button_writes_and_opens() {
    ScriptedHost host;
    auto w = open_screen();
    const std::string before = read_ini();
    show_active(*w);
    QTest::mouseClick(get<QRadioButton>(*w, "g_frm_jouge"), Qt::LeftButton);
    get<QLineEdit>(*w, "g_iti_per")->setText("30");
    for (int i = 0; i < 3; ++i) click(*w, "font_down");
    when_picker_opens([](col_sel* picker) {
      picker->findChild<QScrollBar*>("r_sel")->setValue(255);
      picker->findChild<QScrollBar*>("g_sel")->setValue(0);
      picker->findChild<QScrollBar*>("b_sel")->setValue(0);
      picker->findChild<QPushButton*>("ok_btn")->click();
    });
    click(*w, "vlk_col_btn");
    click(*w, "sam_btn");
    QVERIFY(host.boxes.empty());
    QCOMPARE(host.opened, QStringList{QString::fromStdString(samples_->path() + "/dmy_top.html")});
    const auto top = read_lines(samples_->path() + "/dmy_top.html");
    const auto left = read_lines(samples_->path() + "/dmy_left.html");
    QVERIFY(exists(samples_->path() + "/dmy_right.html"));
    QCOMPARE(top.at(4), std::string("<FRAMESET ROWS=30%,*>"));
    QCOMPARE(left.at(3), std::string("<FONT SIZE=\"-1\">"));
    QCOMPARE(left.at(10), sj("<FONT SIZE=\"-1\" COLOR=\"#000000\">　└</FONT><U><FONT SIZE=\"-1\" "
                             "COLOR=\"#FF0000\">参照済のタイトル - ３</FONT></U>"));
    QVERIFY(!exists(app_->path() + "/dmy_top.html"));
    QCOMPARE(read_ini(), before);
    QVERIFY(w->changed());  // the sample saves nothing
  }

  void faults_are_shown() {
    // A file in the place of the program folder: the default file cannot be
    // made, nor read, nor saved; the screen still opens and the flag stays set.
    const std::string gone = app_->path() + "/gone";
    std::ofstream(gone) << "x";
    ScriptedHost host;
    ini_gmn w(gone, gone, gone);
    QCOMPARE(host.boxes.size(), std::size_t(2));
    QCOMPARE(host.boxes[0].text, QString("エラーが発生しました。(Ini_Make:76) 処理を中断します。"));
    QCOMPARE(host.boxes[1].text, QString("エラーが発生しました。(Ini_Read:76) 処理を中断します。"));
    for (const auto& b : host.boxes) {
      QCOMPARE(b.title, QString("エラー"));
      QCOMPARE(b.icon, Icon::Critical);
    }
    host.boxes.clear();
    click(w, "font_up");
    click(w, "sav_btn");
    QCOMPARE(host.boxes.size(), std::size_t(1));
    QCOMPARE(host.boxes[0].text, QString("エラーが発生しました。(保存:76) 処理を中断します。"));
    QVERIFY(w.changed());
    host.boxes.clear();
    click(w, "sam_btn");
    QCOMPARE(host.boxes.size(), std::size_t(1));
    QCOMPARE(host.boxes[0].title, QString("エラー"));
    QCOMPARE(host.boxes[0].text, QString("エラーが発生しました。(サンプル表示:76) 処理を中断します。"));
    QVERIFY(host.opened.isEmpty());
    QCOMPARE(read_file(gone), std::string("x"));
  }

  void help_page_opened_and_shipped() {
    ScriptedHost host;
    auto w = open_screen();
    w->findChild<QAction*>("cmd_hlp")->trigger();
    QCOMPARE(host.opened, QStringList{"/help/here/help_vorn_ini.html"});
    QFile page(VORN_SOURCE_DIR "/help/help_vorn_ini.html");
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.contains("<meta charset=\"utf-8\">"));
    for (const char* about : {"設定ファイル", "スレッド関係", "表示色", "COLOR_SELECT", "サンプル表示", "保存"})
      QVERIFY2(html.contains(about), about);
  }

  void checks_on_their_own() {
    QCOMPARE(size_start("3"), 3);
    QCOMPARE(size_start("+3"), 3);
    QCOMPARE(size_start("99999999999999999999"), kSizeStandard);
    QCOMPARE(size_start("３"), kSizeStandard);
    QCOMPARE(check_width(".5"), WidthCheck::OutOfRange);
    QCOMPARE(check_width("2.5"), WidthCheck::Accepted);
    QCOMPARE(check_width("98.5"), WidthCheck::Accepted);
    QCOMPARE(check_width("1e1"), WidthCheck::Accepted);
    QCOMPARE(check_width("1e"), WidthCheck::NotNumber);
    QCOMPARE(check_width("inf"), WidthCheck::NotNumber);
    QCOMPARE(check_width("7,2"), WidthCheck::NotNumber);
  }
};

QTEST_MAIN(IniGmnTest)
#include "ini_gmn_test.moc"
