#include "gui/dialog_host.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

#include "gui/program_look.h"

namespace {

QMessageBox::Icon box_icon(DialogHost::Icon icon) {
  switch (icon) {
    case DialogHost::Icon::Critical:
      return QMessageBox::Critical;
    case DialogHost::Icon::Warning:
      return QMessageBox::Warning;
    case DialogHost::Icon::Question:
      return QMessageBox::Question;
    case DialogHost::Icon::Information:
      break;
  }
  return QMessageBox::Information;
}

class QtDialogHost : public DialogHost {
 public:
  Answer message(QWidget* owner, const QString& title, const QString& text, Icon icon, Buttons buttons) override {
    QString shown = text;
    shown.replace(QRegularExpression("\r\n?"), "\n");
    QMessageBox box(box_icon(icon), title, shown, QMessageBox::NoButton, owner);
    box.setObjectName("message_box");
    box.setWindowIcon(program_icon());
    switch (buttons) {
      case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // The buttons in Japanese, as the questions name them ("[はい]", "[ｷｬﾝｾﾙ]").
    const struct {
      QMessageBox::StandardButton button;
      const char* caption;
    } captions[] = {
        {QMessageBox::Yes, "はい(&Y)"}, {QMessageBox::No, "いいえ(&N)"}, {QMessageBox::Cancel, "キャンセル"}};
    for (const auto& c : captions)
      if (QAbstractButton* b = box.button(c.button)) b->setText(QString::fromUtf8(c.caption));
    switch (box.exec()) {
      case QMessageBox::Ok:
        return Answer::Ok;
      case QMessageBox::Yes:
        return Answer::Yes;
      case QMessageBox::No:
        return Answer::No;
      default:
        return Answer::Cancel;
    }
  }

  std::optional<QString> input(QWidget* owner, const QString& title, const QString& prompt) override {
    QInputDialog box(owner);
    box.setObjectName("input_box");
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("キャンセル"));
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
  }

  void open(QWidget*, const QString& target) override { QDesktopServices::openUrl(QUrl(open_url(target))); }
};

QtDialogHost real_host;
DialogHost* current = &real_host;

}  // namespace

DialogHost& dialog_host() { return *current; }

DialogHost* set_dialog_host(DialogHost* host) {
  DialogHost* before = current == &real_host ? nullptr : current;
  current = host ? host : &real_host;
  return before;
}

QString open_url(const QString& target) {
  static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
  if (scheme.match(target).hasMatch()) return target;
  return QUrl::fromLocalFile(target).toString();
}
