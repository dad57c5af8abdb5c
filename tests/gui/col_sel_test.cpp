// The colour picker: what it starts from, what it shows, what it hands back.
#include "gui/col_sel.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class ColSelTest : public QObject {
  Q_OBJECT

  static QString code(col_sel& w) { return w.findChild<QLabel*>("val_col")->text(); }
  static QColor swatch(col_sel& w) { return w.findChild<QFrame*>("col_dsp")->palette().color(QPalette::Window); }
  static QScrollBar* bar(col_sel& w, const char* name) { return w.findChild<QScrollBar*>(name); }
  static QString value(col_sel& w, const char* name) { return w.findChild<QLabel*>(name)->text(); }

 private slots:
  void every_control_is_named() {
    QString shared;
    col_sel w(shared);
    QCOMPARE(w.objectName(), QString("col_sel"));
    QCOMPARE(w.windowTitle(), QString("COLOR_SELECT"));
    for (const char* name : {"r_sel", "g_sel", "b_sel"}) {
      QScrollBar* b = bar(w, name);
      QVERIFY2(b, name);
      QCOMPARE(b->orientation(), Qt::Horizontal);
      QCOMPARE(b->minimum(), 0);
      QCOMPARE(b->maximum(), 255);
    }
    for (const char* name : {"val_r", "val_g", "val_b", "val_col"}) QVERIFY2(w.findChild<QLabel*>(name), name);
    QVERIFY(w.findChild<QFrame*>("col_dsp"));
    QStringList captions;
    for (QLabel* l : w.findChildren<QLabel*>()) captions << l->text();
    for (const char* c : {"RED", "GREEN", "BLUE"}) QVERIFY2(captions.contains(c), c);
    QCOMPARE(w.findChild<QPushButton*>("ok_btn")->text(), QString("OK"));
    QCOMPARE(w.findChild<QPushButton*>("can_btn")->text(), QString("CANSEL"));
  }

  // The bars, their values, the code and the swatch as the picker opens.
  void start_texts_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("shown");
    QTest::newRow("quote colour") << "007f00" << 0 << 127 << 0 << "007F00";
    QTest::newRow("empty") << "" << 0 << 0 << 0 << "000000";
    QTest::newRow("not hexadecimal") << "zzzzzz" << 0 << 0 << 0 << "000000";
    QTest::newRow("every bar") << "12abEF" << 0x12 << 0xab << 0xef << "12ABEF";
  }
  void start_texts() {
    QFETCH(QString, start);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, shown);
    QString shared = start;
    col_sel w(shared);
    QCOMPARE(bar(w, "r_sel")->value(), red);
    QCOMPARE(bar(w, "g_sel")->value(), green);
    QCOMPARE(bar(w, "b_sel")->value(), blue);
    QCOMPARE(value(w, "val_r"), QString::number(red));
    QCOMPARE(value(w, "val_g"), QString::number(green));
    QCOMPARE(value(w, "val_b"), QString::number(blue));
    QCOMPARE(code(w), shown);
    QCOMPARE(swatch(w), QColor(red, green, blue));
    QCOMPARE(shared, start);  // opening changes nothing
  }

  void moving_a_bar_repaints() {
    QString shared = "007f00";
    col_sel w(shared);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    bar(w, "r_sel")->setValue(10);
    QCOMPARE(value(w, "val_r"), QString("10"));
    QCOMPARE(code(w), QString("0A7F00"));
    QCOMPARE(swatch(w), QColor(10, 127, 0));
    // The keyboard moves a bar as the mouse does, a page at a time.
    bar(w, "b_sel")->setFocus();
    QTest::keyClick(bar(w, "b_sel"), Qt::Key_PageDown);
    QCOMPARE(value(w, "val_b"), QString("16"));
    QCOMPARE(code(w), QString("0A7F10"));
    QCOMPARE(shared, QString("007f00"));  // nothing is handed back before OK
  }

  // What the caller finds in the shared text once the picker has closed.
  void closing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("red_to");
    QTest::addColumn<QString>("handed_back");
    QTest::addColumn<int>("result");
    QTest::newRow("OK unmoved gives the start in upper case") << "ok_btn" << -1 << "007F00" << int(QDialog::Accepted);
    QTest::newRow("OK after moving red") << "ok_btn" << 255 << "FF7F00" << int(QDialog::Accepted);
    QTest::newRow("CANSEL empties it") << "can_btn" << 255 << "" << int(QDialog::Rejected);
    QTest::newRow("close box leaves the start") << "close" << 255 << "007f00" << int(QDialog::Rejected);
    QTest::newRow("Esc leaves the start") << "escape" << 255 << "007f00" << int(QDialog::Rejected);
  }
  void closing() {
    QFETCH(QString, how);
    QFETCH(int, red_to);
    QFETCH(QString, handed_back);
    QFETCH(int, result);
    QString shared = "007f00";
    col_sel w(shared);
    int got = -1;
    QTimer::singleShot(0, &w, [&] {
      if (red_to >= 0) bar(w, "r_sel")->setValue(red_to);
      if (how == "close")
        w.close();
      else if (how == "escape")
        QTest::keyClick(&w, Qt::Key_Escape);
      else
        w.findChild<QPushButton*>(how)->click();
    });
    got = w.exec();
    QCOMPARE(got, result);
    QCOMPARE(shared, handed_back);
    QVERIFY(!w.isVisible());
  }

  // Started alone ("/col"), the picker is the program's only window: closing
  // it by any means is the last window closing, which ends the program.
  void alone_its_closing_ends_the_program_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("OK") << "ok_btn";
    QTest::newRow("CANSEL") << "can_btn";
    QTest::newRow("close box") << "";
  }
  void alone_its_closing_ends_the_program() {
    QFETCH(QString, button);
    QString shared;
    col_sel w(shared);
    QSignalSpy last(qApp, &QGuiApplication::lastWindowClosed);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(code(w), QString("000000"));
    QTimer::singleShot(0, &w, [&] {
      if (button.isEmpty())
        w.close();
      else
        w.findChild<QPushButton*>(button)->click();
    });
    QTimer guard;  // a picker that stays open fails instead of hanging
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(last.count(), 1);
  }
};

QTEST_MAIN(ColSelTest)
#include "col_sel_test.moc"
