// The real dialog host: the boxes it shows and the addresses it opens.
#include "gui/dialog_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class DialogHostTest : public QObject {
  Q_OBJECT

  // Runs check on the box the host is about to show, then lets it close.
  template <class Box, class F>
  static void on_box(F check) {
    QTimer::singleShot(0, [check] {
      auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
      QVERIFY(box);
      check(box);
    });
  }

 private slots:
  void questionsShowJapaneseButtonsAndGiveTheAnswer() {
    QString text, title;
    QStringList buttons;
    QMessageBox::Icon icon{};
    on_box<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      box->button(QMessageBox::No)->click();
    });
    const DialogHost::Answer answer = dialog_host().message(
        nullptr, "確認", "一行目\r二行目\r\n三行目", DialogHost::Icon::Question, DialogHost::Buttons::YesNoCancel);
    QCOMPARE(answer, DialogHost::Answer::No);
    QCOMPARE(title, QStringLiteral("確認"));
    QCOMPARE(text, QStringLiteral("一行目\n二行目\n三行目"));
    QCOMPARE(icon, QMessageBox::Question);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"いいえ(&N)", "はい(&Y)", "キャンセル"}));
  }

  void theCloseBoxOfAQuestionIsCancel() {
    on_box<QMessageBox>([](QMessageBox* box) { box->reject(); });
    QCOMPARE(dialog_host().message(nullptr, "確認", "?", DialogHost::Icon::Question, DialogHost::Buttons::OkCancel),
             DialogHost::Answer::Cancel);
  }

  void theInputBoxGivesTheTextOrNothing() {
    on_box<QInputDialog>([](QInputDialog* box) {
      QCOMPARE(box->labelText(), QStringLiteral("名前"));
      box->setTextValue("new");
      box->accept();
    });
    QCOMPARE(dialog_host().input(nullptr, "vorn_htm", "名前"), std::optional<QString>("new"));
    on_box<QInputDialog>([](QInputDialog* box) { box->reject(); });
    QCOMPARE(dialog_host().input(nullptr, "vorn_htm", "名前"), std::optional<QString>());
  }

  void localPathsOpenAsFileAddresses() {
    QCOMPARE(open_url("/tmp/アーカイブ/index.html"), QStringLiteral("file:///tmp/アーカイブ/index.html"));
    QCOMPARE(open_url("/tmp/a b#1.html"), QStringLiteral("file:///tmp/a b%231.html"));
    QCOMPARE(open_url("file:///usr/share/vorn_htm/help_vorn_htm.html"),
             QStringLiteral("file:///usr/share/vorn_htm/help_vorn_htm.html"));
    QCOMPARE(open_url("https://example.org/"), QStringLiteral("https://example.org/"));
  }
};

QTEST_MAIN(DialogHostTest)
#include "dialog_host_test.moc"
