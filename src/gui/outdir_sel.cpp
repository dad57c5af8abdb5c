#include "gui/outdir_sel.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <algorithm>

#include "gui/program_look.h"

namespace {

// The history holds at most ten folders: the list shows them all without
// scrolling, as wide as the longest (within reason).
constexpr int kRows = 10;
constexpr int kMinWidth = 240;
constexpr int kMaxWidth = 800;

}  // namespace

OutDir_sel::OutDir_sel(QLineEdit* txtFold, const std::vector<std::string>& folders, const QPoint& at, QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint), txtFold_(txtFold) {
  setObjectName("OutDir_sel");
  setWindowTitle("出力ファイル選択");
  lstFileSel_ = Named(new QListWidget(this), "lstFileSel", "出力ファイル選択");
  lstFileSel_->setSelectionMode(QAbstractItemView::SingleSelection);
  lstFileSel_->installEventFilter(this);
  lstFileSel_->viewport()->installEventFilter(this);

  for (const std::string& folder : folders) lstFileSel_->addItem(from_utf8(folder));

  // The window is nothing but the list.
  const QFontMetrics metrics = lstFileSel_->fontMetrics();
  int text_width = 0;
  for (int i = 0; i < lstFileSel_->count(); ++i)
    text_width = std::max(text_width, metrics.horizontalAdvance(lstFileSel_->item(i)->text()));
  const int frame = 2 * lstFileSel_->frameWidth();
  const int width = std::clamp(text_width + frame + 16, kMinWidth, kMaxWidth);
  const int height = kRows * std::max(metrics.height() + 2, lstFileSel_->sizeHintForRow(0)) + frame;
  lstFileSel_->setGeometry(0, 0, width, height);
  setFixedSize(width, height);
  move(at);
}

void OutDir_sel::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  lstFileSel_->setFocus();
}

void OutDir_sel::pick(QListWidgetItem* item) {
  if (item && txtFold_) txtFold_->setText(item->text());
  if (item) accept();
}

bool OutDir_sel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstFileSel_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // Nothing selected: nothing to put into the box; just close.
      const QList<QListWidgetItem*> selected = lstFileSel_->selectedItems();
      if (selected.isEmpty())
        reject();
      else
        pick(selected.front());
      return true;
    }
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && lstFileSel_->selectedItems().isEmpty() &&
        lstFileSel_->count() > 0) {
      // The first arrow key selects an end of the list rather than skip it.
      lstFileSel_->setCurrentRow(key == Qt::Key_Down ? 0 : lstFileSel_->count() - 1);
      return true;
    }
  }
  if (watched == lstFileSel_ && event->type() == QEvent::FocusIn) {
    // The list makes its first entry current as it takes the focus, which
    // looks like a choice that Enter would take. Nothing is chosen until the
    // user chooses; show none.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (lstFileSel_->selectedItems().isEmpty()) lstFileSel_->selectionModel()->clearCurrentIndex();
        },
        Qt::QueuedConnection);
  }
  if (watched == lstFileSel_->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      reject();
      return true;
    }
    if (mouse->button() == Qt::LeftButton) {
      // Below the last entry there is nothing to pick.
      if (QListWidgetItem* item = lstFileSel_->itemAt(mouse->position().toPoint())) {
        pick(item);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}
