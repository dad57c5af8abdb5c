// The version dialog: the version text, the link to the help page, OK.
#include "gui/vh_ver.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "gui/program_look.h"
#include "support/scripted_host.h"

class VhVerTest : public QObject {
  Q_OBJECT

 private slots:
  void formats_version_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("this program") << 2 << 24 << 0 << "vorn_htm Version 2.24.0000";
    QTest::newRow("minor and revision padded") << 2 << 5 << 12 << "vorn_htm Version 2.05.0012";
    QTest::newRow("wider than the padding") << 10 << 123 << 12345 << "vorn_htm Version 10.123.12345";
  }
  void formats_version() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(::version_text(major, minor, revision), text);
  }

  void shows_version_and_icon() {
    vh_ver d("/opt/vorn");
    QCOMPARE(d.objectName(), QString("vh_ver"));
    QCOMPARE(d.windowTitle(), QString("vorn_htm のﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(d.findChild<QLabel*>("lblVersion")->text(), QString("vorn_htm Version 2.24.0000"));
    QLabel* image = d.findChild<QLabel*>("Image1");
    QVERIFY(!image->pixmap().isNull());
    QVERIFY(!image->pixmap().toImage().allGray() || image->pixmap().toImage().pixelColor(32, 32).alpha() > 0);
    d.show();
    QCOMPARE(d.minimumSize(), d.maximumSize());  // a fixed border
    QCOMPARE(d.findChild<QPushButton*>("cmdOK")->text(), QString("OK"));
  }

  // The link is the help page's file address, also for a folder whose name
  // holds a blank, Japanese and "#"; a click opens it and the dialog stays.
  void link_opens_help_page() {
    ScriptedHost host;
    const QString dir = "/opt/ヘルプ #1 dir";
    vh_ver d(to_utf8(dir));
    d.show();
    QLabel* url = d.findChild<QLabel*>("lblURL");
    QCOMPARE(url->text(), QUrl::fromLocalFile(dir + "/help_vorn_htm.html").toString());
    QCOMPARE(url->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QVERIFY(url->font().underline());
    QCOMPARE(url->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(url, Qt::LeftButton);
    QCOMPARE(host.opened.size(), qsizetype(1));
    QCOMPARE(QUrl(host.opened[0]).toLocalFile(), dir + "/help_vorn_htm.html");
    QCOMPARE(open_url(host.opened[0]), host.opened[0]);
    QVERIFY(d.isVisible());
    QTest::mouseClick(url, Qt::RightButton);
    QCOMPARE(host.opened.size(), qsizetype(1));
  }

  void ok_closes() {
    vh_ver d("/opt/vorn");
    d.show();
    QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(VhVerTest)
#include "vh_ver_test.moc"
