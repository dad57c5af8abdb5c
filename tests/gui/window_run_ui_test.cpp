// The progress of a run as the window's two labels show it: "(" number, the
// full-width solidus, total ")", the latest of each label at each repaint.
#include "gui/window_run_ui.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

class WindowRunUiTest : public QObject {
  Q_OBJECT

 private slots:
  void labelsShowTheLatestNumbers() {
    const struct {
      const char* name;
      RunUi::Label label;
      std::int64_t num, total;
      const char* syori;   // Syori_no after the repaint
      const char* syosai;  // Syosai_no after the repaint
    } rows[] = {
        {"step", RunUi::Label::Syori_no, 3, 7, "(3／7)", ""},
        {"detail", RunUi::Label::Syosai_no, 1204, 3310, "(3／7)", "(1204／3310)"},
        {"next detail", RunUi::Label::Syosai_no, 1205, 3310, "(3／7)", "(1205／3310)"},
        {"bytes of a large file", RunUi::Label::Syosai_no, 4294967296, 8589934592, "(3／7)",
         "(4294967296／8589934592)"},
        {"next step", RunUi::Label::Syori_no, 4, 7, "(4／7)", "(4294967296／8589934592)"},
        {"nothing done yet", RunUi::Label::Syori_no, 0, 0, "(0／0)", "(4294967296／8589934592)"},
    };
    QWidget owner;
    auto* syori = new QLabel(&owner);
    auto* syosai = new QLabel(&owner);
    auto* ui = new WindowRunUi(&owner, syori, syosai);
    for (const auto& r : rows) {
      ui->progress(r.label, r.num, r.total);
      ui->show_progress();
      const QByteArray shown = QByteArray(r.name) + ": " + syori->text().toUtf8() + " " + syosai->text().toUtf8();
      QVERIFY2(syori->text() == QString::fromUtf8(r.syori), shown.constData());
      QVERIFY2(syosai->text() == QString::fromUtf8(r.syosai), shown.constData());
    }
    ui->clear_progress();
    ui->show_progress();
    QCOMPARE(syori->text(), QString());
    QCOMPARE(syosai->text(), QString());
  }

  // Every step text goes out in order, also those a repaint never shows.
  void everyStepTextIsSignalled() {
    QWidget owner;
    auto* ui = new WindowRunUi(&owner, new QLabel(&owner), new QLabel(&owner));
    QSignalSpy spy(ui, &WindowRunUi::step_text);
    ui->progress(RunUi::Label::Syori_no, 1, 2);
    ui->progress(RunUi::Label::Syosai_no, 5, 9);
    ui->progress(RunUi::Label::Syori_no, 2, 2);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("(1／2)"));
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("(2／2)"));
  }
};

QTEST_MAIN(WindowRunUiTest)
#include "window_run_ui_test.moc"
