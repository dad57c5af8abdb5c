#include "gui/dir_sel.h"

#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cerrno>

#include "core/vb_error.h"
#include "gui/dialog_host.h"
#include "gui/parent_dir.h"
#include "gui/program_look.h"
#include "gui/volumes.h"

namespace {

constexpr int kPathRole = Qt::UserRole;

// An absolute path without "." or ".." steps and without a trailing "/".
QString clean(const QString& path) { return QDir::cleanPath(QDir(path).absolutePath()); }

bool lies_in(const QString& folder, const QString& root) {
  return root == "/" || folder == root || folder.startsWith(root + "/");
}

// The process's current folder; should it be gone, the nearest folder above.
QString start_folder() {
  QString start = clean(QDir::currentPath());
  while (!QFileInfo(start).isDir() && start != "/") start = from_utf8(Parent_Dir(to_utf8(start)));
  return start;
}

// The folder list: the path down to the open folder stays open, so it draws
// no expand or collapse marks, only the indentation.
class FolderList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
};

}  // namespace

dir_sel::dir_sel(QLineEdit* txtFold, const std::string& Help_Dir, QWidget* parent)
    : QDialog(parent), txtFold_(txtFold), help_dir_(from_utf8(Help_Dir)) {
  setObjectName("dir_sel");
  setWindowTitle("フォルダ選択");
  setWindowIcon(program_icon());
  // Made in this order, which is also the order of the Tab key.
  QMenuBar* menus = make_menus();
  sel_dir_ = make_folder_list();
  sel_drv_ = Named(new QComboBox(this), "sel_drv", "ドライブ");
  sel_drv_->addItems(mounted_volumes());
  QHBoxLayout* buttons = make_buttons();

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(sel_dir_, 1);
  layout->addWidget(sel_drv_);
  layout->addLayout(buttons);
  connect(sel_drv_, &QComboBox::currentIndexChanged, this, &dir_sel::sel_drv_Change);

  show_folder(start_folder());
  resize(380, 440);
}

QMenuBar* dir_sel::make_menus() {
  auto* menus = new QMenuBar(this);
  const auto item = [this](QMenu* menu, const char* caption, const char* name, void (dir_sel::*slot)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
  };
  QMenu* command = Named(menus->addMenu("ｺﾏﾝﾄﾞ(&C)"), "mnu_command", "ｺﾏﾝﾄﾞ");
  item(command, "新規作成(&A)", "mnu_add", &dir_sel::btnAdd_Click);
  item(command, "削除(&D)", "mnu_del", &dir_sel::btnDel_Click);
  command->addSeparator()->setObjectName("mnu_kugiri");
  item(command, "確定(&S)", "mnu_kakutei", &dir_sel::btnKakutei_Click);
  item(command, "CANSEL(&C)", "mnu_cansel", &dir_sel::btnCansel_Click);
  QMenu* help = Named(menus->addMenu("ﾍﾙﾌﾟ(&H)"), "mnu_help", "ﾍﾙﾌﾟ");
  item(help, "画面説明(&H)", "mnu_setsumei", &dir_sel::mnu_setsumei_Click);
  return menus;
}

QTreeWidget* dir_sel::make_folder_list() {
  QTreeWidget* list = Named(new FolderList(this), "sel_dir", "フォルダ");
  list->setHeaderHidden(true);
  list->setColumnCount(1);
  list->setUniformRowHeights(true);  // a folder of many thousand subfolders lays out at once
  list->setExpandsOnDoubleClick(false);
  list->setItemsExpandable(false);
  list->setRootIsDecorated(false);
  list->setIndentation(16);
  list->installEventFilter(this);
  connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { open_item(item); });
  return list;
}

QHBoxLayout* dir_sel::make_buttons() {
  const struct {
    const char* caption;
    const char* name;
    const char* accessible;
    void (dir_sel::*slot)();
  } kButtons[] = {
      {"新規作成", "btnAdd", "新規作成", &dir_sel::btnAdd_Click},
      {"削 除", "btnDel", "削除", &dir_sel::btnDel_Click},
      {"確 定", "btnKakutei", "確定", &dir_sel::btnKakutei_Click},
      {"CANSEL", "btnCansel", "CANSEL", &dir_sel::btnCansel_Click},
  };
  auto* row = new QHBoxLayout;
  for (const auto& b : kButtons) {
    QPushButton* button = Named(new QPushButton(b.caption, this), b.name, b.accessible);
    // Enter belongs to the folder list (it opens the highlighted folder),
    // not to whichever button comes first.
    button->setAutoDefault(false);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, b.slot);
  }
  return row;
}

bool dir_sel::set_open_folder(const QString& folder) { return show_folder(clean(folder)); }

QString dir_sel::volume_of(const QString& folder) const {
  QString best = "/";
  for (int i = 0; i < sel_drv_->count(); ++i) {
    const QString root = sel_drv_->itemText(i);
    if (lies_in(folder, root) && root.size() > best.size()) best = root;
  }
  return best;
}

QString dir_sel::Parent_Dir() const {
  if (open_ == volume_of(open_)) return open_;
  return from_utf8(::Parent_Dir(to_utf8(open_)));
}

bool dir_sel::show_folder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return false;
  const QString root = volume_of(folder);
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  sel_dir_->clear();
  auto* item = new QTreeWidgetItem(QStringList{root});
  item->setData(0, kPathRole, root);
  item->setIcon(0, open_icon);
  sel_dir_->addTopLevelItem(item);
  // One entry per step from the root down to the folder.
  QString path = root;
  const QString below = folder.mid(root == "/" ? 1 : root.size() + 1);
  for (const QString& name : below.split('/', Qt::SkipEmptyParts)) {
    path = path == "/" ? "/" + name : path + "/" + name;
    auto* step = new QTreeWidgetItem(item, QStringList{name});
    step->setData(0, kPathRole, path);
    step->setIcon(0, open_icon);
    item->setExpanded(true);
    item = step;
  }
  QFont bold = item->font(0);
  bold.setBold(true);
  item->setFont(0, bold);

  // Its subfolders, read in one listing; hidden ones are left out.
  QDir dir(folder);
  const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  QList<QTreeWidgetItem*> children;
  children.reserve(names.size());
  const QString prefix = folder == "/" ? "/" : folder + "/";
  for (const QString& name : names) {
    auto* child = new QTreeWidgetItem(QStringList{name});
    child->setData(0, kPathRole, prefix + name);
    child->setIcon(0, closed_icon);
    children.push_back(child);
  }
  item->addChildren(children);
  item->setExpanded(true);
  sel_dir_->setCurrentItem(item);
  sel_dir_->scrollToItem(item);

  open_ = folder;
  drive_folder_[root] = folder;
  select_drive(root);
  last_good_drive_ = root;
  return true;
}

void dir_sel::open_item(QTreeWidgetItem* item) {
  if (!item) return;
  // A folder removed since the list was read: the nearest folder above it.
  QString folder = item->data(0, kPathRole).toString();
  while (!show_folder(folder)) {
    if (folder == "/") return;
    folder = from_utf8(::Parent_Dir(to_utf8(folder)));
  }
}

void dir_sel::select_drive(const QString& drive) {
  selecting_drive_ = true;
  sel_drv_->setCurrentIndex(sel_drv_->findText(drive));
  selecting_drive_ = false;
}

void dir_sel::refuse(const QString& text) { dialog_host().message(this, "エラー", text, DialogHost::Icon::Critical); }

void dir_sel::sel_drv_Change() {
  if (selecting_drive_) return;
  const QString drive = sel_drv_->currentText();
  bool ok = readable_volume(drive);
  if (ok) {
    // The folder last open on that drive, or the nearest folder above it.
    QString folder = drive_folder_.value(drive, drive);
    while (!QFileInfo(folder).isDir() && folder != drive) folder = from_utf8(::Parent_Dir(to_utf8(folder)));
    ok = show_folder(folder);
  }
  if (!ok) {
    refuse("無効なドライブが選択されました。");
    select_drive(last_good_drive_);
  }
}

void dir_sel::btnAdd_Click() {
  const std::optional<QString> name = dialog_host().input(this, "vorn_htm", "新規作成するフォルダ名を入力して下さい。");
  if (!name || name->isEmpty()) return;
  if (name->contains('/')) return refuse("フォルダ名に「/」は使えません。");
  if (*name == "." || *name == "..") return refuse("「.」と「..」はフォルダ名に使えません。");
  if (name->contains(QChar(0))) return refuse("フォルダ名に使えない文字が含まれています。");
  const QString path = open_ == "/" ? "/" + *name : open_ + "/" + *name;
  if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
    const int err = errno;
    return refuse(path + " を作成出来ませんでした。\r" + from_utf8(error_reason(err)));
  }
  show_folder(Parent_Dir());
}

void dir_sel::btnDel_Click() {
  const QString folder = open_;
  if (!QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty())
    return refuse("空のフォルダ以外は削除出来ません。");
  // The root of a volume is never removed: say so without asking first.
  const bool root = folder == volume_of(folder);
  if (!root &&
      dialog_host().message(this, "確認", folder + " を削除します。よろしいですか？", DialogHost::Icon::Question,
                            DialogHost::Buttons::OkCancel) != DialogHost::Answer::Ok)
    return;
  if (root || !QDir().rmdir(folder)) {
    refuse("フォルダの削除に失敗しました。");
    select_drive(last_good_drive_);
    return;
  }
  show_folder(Parent_Dir());
}

void dir_sel::btnKakutei_Click() {
  if (txtFold_) txtFold_->setText(open_);
  accept();
}

void dir_sel::btnCansel_Click() { reject(); }

void dir_sel::mnu_setsumei_Click() { dialog_host().open(this, help_dir_ + "/help_dir_sel.html"); }

bool dir_sel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sel_dir_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      open_item(sel_dir_->currentItem());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
