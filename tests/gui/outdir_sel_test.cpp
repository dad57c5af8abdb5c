// The history pop-up: what it lists, where it stands, and which input
// picks an entry, which closes it and which only moves the selection.
#include "gui/outdir_sel.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "gui/program_look.h"
#include "support/scripted_host.h"

namespace {

// The folders as the caller hands them over: UTF-8, as the run reads them.
std::vector<std::string> utf8(const QStringList& folders) {
  std::vector<std::string> out;
  for (const QString& folder : folders) out.push_back(to_utf8(folder));
  return out;
}

QStringList entries(OutDir_sel& pop) {
  QListWidget* list = pop.findChild<QListWidget*>("lstFileSel");
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace

class OutDirSelTest : public QObject {
  Q_OBJECT

  const QStringList three_{"/web/ml", "/home/利用者/表示ソ", "/web/old list"};

 private slots:
  // Three folders in the order given, the window nothing but the list, its corner
  // at the given point.
  void lists_history_at_point() {
    const QPoint at(123, 77);
    OutDir_sel pop(nullptr, utf8(three_), at);
    QCOMPARE(pop.objectName(), QString("OutDir_sel"));
    QCOMPARE(pop.windowTitle(), QString("出力ファイル選択"));
    QVERIFY(pop.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(entries(pop), three_);
    pop.show();
    QListWidget* list = pop.findChild<QListWidget*>("lstFileSel");
    QCOMPARE(pop.geometry().topLeft(), at);
    QCOMPARE(list->geometry(), QRect(QPoint(0, 0), pop.size()));
    QVERIFY(list->width() >= list->fontMetrics().horizontalAdvance(three_[1]));
    // Nothing is chosen yet, and nothing looks chosen: no entry is current.
    QTest::qWait(0);
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->currentItem(), nullptr);
  }

  void input_data() {
    QTest::addColumn<QString>("keys");  // what the user does, in order
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("box");  // txtFold afterwards
    QTest::newRow("Escape") << "Esc" << true << "before";
    QTest::newRow("right press on an entry") << "Right1" << true << "before";
    QTest::newRow("left press on the second entry") << "Left1" << true << "/home/利用者/表示ソ";
    QTest::newRow("left press below the entries") << "LeftBelow" << false << "before";
    QTest::newRow("Enter with nothing selected") << "Enter" << true << "before";
    QTest::newRow("Down selects the first entry, Enter picks it") << "Down Enter" << true << "/web/ml";
    QTest::newRow("arrows only move") << "Down Down Down Up" << false << "before";
    QTest::newRow("arrows, then Enter") << "Down Down Down Up Enter" << true << "/home/利用者/表示ソ";
    QTest::newRow("Up selects the last entry") << "Up Enter" << true << "/web/old list";
    QTest::newRow("other keys do nothing") << "A Space" << false << "before";
  }
  void input() {
    QFETCH(QString, keys);
    QFETCH(bool, closes);
    QFETCH(QString, box);
    ScriptedHost host;
    QLineEdit txtFold("before");
    OutDir_sel pop(&txtFold, utf8(three_), QPoint(10, 10));
    pop.show();
    QListWidget* list = pop.findChild<QListWidget*>("lstFileSel");
    const QRect second = list->visualItemRect(list->item(1));
    for (const QString& k : keys.split(' ')) {
      if (k == "Esc") QTest::keyClick(list, Qt::Key_Escape);
      if (k == "Enter") QTest::keyClick(list, Qt::Key_Return);
      if (k == "Down") QTest::keyClick(list, Qt::Key_Down);
      if (k == "Up") QTest::keyClick(list, Qt::Key_Up);
      if (k == "A") QTest::keyClick(list, Qt::Key_A);
      if (k == "Space") QTest::keyClick(list, Qt::Key_Space);
      if (k == "Right1") QTest::mousePress(list->viewport(), Qt::RightButton, {}, second.center());
      if (k == "Left1") QTest::mousePress(list->viewport(), Qt::LeftButton, {}, second.center());
      if (k == "LeftBelow")
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
    }
    QCOMPARE(!pop.isVisible(), closes);
    QCOMPARE(txtFold.text(), box);
    if (closes) QCOMPARE(pop.result(), box == "before" ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QVERIFY(host.boxes.empty());
  }

  void empty_history_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "Esc";
    QTest::newRow("right press") << "Right";
    QTest::newRow("Enter") << "Enter";
  }
  void empty_history() {
    QFETCH(QString, how);
    QLineEdit txtFold("before");
    OutDir_sel pop(&txtFold, {}, QPoint(0, 0));
    QVERIFY(entries(pop).isEmpty());
    pop.show();
    QListWidget* list = pop.findChild<QListWidget*>("lstFileSel");
    QTest::keyClick(list, Qt::Key_Down);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(pop.isVisible());
    if (how == "Esc") QTest::keyClick(list, Qt::Key_Escape);
    if (how == "Right") QTest::mousePress(list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    if (how == "Enter") QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!pop.isVisible());
    QCOMPARE(pop.result(), int(QDialog::Rejected));
    QCOMPARE(txtFold.text(), QString("before"));
  }

  // Through exec(), as the main window opens it: a press picks and ends it.
  void picks_when_modal() {
    QLineEdit txtFold;
    OutDir_sel pop(&txtFold, utf8(three_), QPoint(40, 40));
    QTimer::singleShot(0, &pop, [&] {
      QListWidget* list = pop.findChild<QListWidget*>("lstFileSel");
      QTest::mousePress(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    });
    QTimer::singleShot(2000, &pop, [&] { pop.done(-1); });
    QCOMPARE(pop.exec(), int(QDialog::Accepted));
    QCOMPARE(txtFold.text(), three_[2]);
  }
};

QTEST_MAIN(OutDirSelTest)
#include "outdir_sel_test.moc"
