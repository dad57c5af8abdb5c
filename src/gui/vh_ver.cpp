#include "gui/vh_ver.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/dialog_host.h"
#include "gui/program_look.h"
#include "version.h"

namespace {

constexpr int kIconSize = 64;

}  // namespace

QString version_text(int major, int minor, int revision) {
  return QString("vorn_htm Version %1.%2.%3").arg(major).arg(minor, 2, 10, QChar('0')).arg(revision, 4, 10, QChar('0'));
}

vh_ver::vh_ver(const std::string& Help_Dir, QWidget* parent) : QDialog(parent) {
  setObjectName("vh_ver");
  setWindowTitle("vorn_htm のﾊﾞｰｼﾞｮﾝ情報");
  setWindowIcon(program_icon());

  QLabel* Image1 = Named(new QLabel(this), "Image1", "vorn_htm");
  Image1->setPixmap(program_icon().pixmap(kIconSize, kIconSize));
  Image1->setFixedSize(kIconSize, kIconSize);

  QLabel* lblVersion = Named(new QLabel("vorn_htm Version X.XX.XXXX", this), "lblVersion", "バージョン");
  lblVersion->setText(version_text(kVersionMajor, kVersionMinor, kVersionPatch));
  QLabel* credit = new QLabel("メールボックスファイル → HTML 変換", this);

  // The help page beside the program: an offline tool needs no web address.
  const QString page = QFileInfo(from_utf8(Help_Dir) + "/help_vorn_htm.html").absoluteFilePath();
  lblURL_ = Named(new QLabel(QUrl::fromLocalFile(page).toString(), this), "lblURL", "ヘルプページ");
  QPalette link = lblURL_->palette();
  link.setColor(QPalette::WindowText, Qt::blue);
  lblURL_->setPalette(link);
  QFont underlined = lblURL_->font();
  underlined.setUnderline(true);
  lblURL_->setFont(underlined);
  lblURL_->setCursor(Qt::PointingHandCursor);
  lblURL_->setToolTip("ヘルプを開きます");
  lblURL_->installEventFilter(this);

  QPushButton* cmdOK = Named(new QPushButton("OK", this), "cmdOK", "OK");
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &vh_ver::cmdOK_Click);

  auto* texts = new QVBoxLayout;
  texts->addWidget(lblVersion);
  texts->addWidget(credit);
  texts->addSpacing(8);
  texts->addWidget(lblURL_);
  auto* top = new QHBoxLayout;
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* ok_row = new QHBoxLayout;
  ok_row->addStretch(1);
  ok_row->addWidget(cmdOK);
  ok_row->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(ok_row);
  // A fixed border: the dialog keeps the size its contents need.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void vh_ver::lblURL_Click() { dialog_host().open(this, lblURL_->text()); }

void vh_ver::cmdOK_Click() { accept(); }

bool vh_ver::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblURL_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      lblURL_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    lblURL_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
