#include "gui/main_window.h"

#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QThread>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/workspace.h"
#include "gui/dialog_host.h"
#include "gui/dir_sel.h"
#include "gui/folder_tree.h"
#include "gui/ini_gmn.h"
#include "gui/outdir_sel.h"
#include "gui/program_look.h"
#include "gui/vh_ver.h"
#include "gui/volumes.h"
#include "gui/window_run_ui.h"
#include "run/history.h"
#include "run/window_run.h"

namespace {

// The volume that holds path, by its root.
QString volume_of(const QString& path) { return QStorageInfo(path).rootPath(); }

}  // namespace

void FoldEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  QLineEdit::mouseDoubleClickEvent(e);
  emit double_clicked();
}

bool is_mailbox_name(const QString& name) {
  static const QStringList kExtensions{"bmf", "mbx", "eml", "alm", "kml", "txt"};
  const int dot = name.lastIndexOf('.');
  return dot > 0 && kExtensions.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

vorn_htm::vorn_htm(Workspace& ws, QWidget* parent) : QMainWindow(parent), ws_(ws) {
  // A run allocates and frees its hundreds of megabytes on a thread of its
  // own. glibc would give that thread an arena of its own, whose heaps it
  // hands back to the kernel and faults in again over and over: a window run
  // of 10,000 messages took eight times the time of the command line, most
  // of it in the kernel. One arena for all threads keeps it as fast.
  mallopt(M_ARENA_MAX, 1);
  setObjectName("vorn_htm");
  setWindowTitle(QStringLiteral("MBX→HTML"));
  setWindowIcon(program_icon());
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->addWidget(make_file_frame(), 1);
  column->addWidget(make_folder_frame());
  column->addWidget(make_progress_frame());
  auto* buttons = new QHBoxLayout;
  jik_btn = Named(new QPushButton(QStringLiteral("実行")), "jik_btn", QStringLiteral("実行"));
  end_btn = Named(new QPushButton(QStringLiteral("終了")), "end_btn", QStringLiteral("終了"));
  buttons->addWidget(jik_btn);
  buttons->addStretch(1);
  buttons->addWidget(end_btn);
  column->addLayout(buttons);
  setCentralWidget(central);
  make_menus();
  run_ui_ = new WindowRunUi(this, Syori_no, Syosai_no);
  connect(run_ui_, &WindowRunUi::step_text, this, &vorn_htm::step_text);
  connect(jik_btn, &QPushButton::clicked, this, &vorn_htm::jik_btn_Click);
  connect(end_btn, &QPushButton::clicked, this, &vorn_htm::end_btn_Click);
  resize(620, 500);
  Form_Load();
}

vorn_htm::~vorn_htm() {
  if (run_thread_) run_thread_->wait();
  if (ws_.ui == run_ui_) ws_.ui = nullptr;
}

QWidget* vorn_htm::make_file_frame() {
  FILE_SEL = Named(new QGroupBox(QStringLiteral("ファイル選択")), "FILE_SEL", QStringLiteral("ファイル選択"));
  sel_fil = Named(new QListWidget, "sel_fil", QStringLiteral("ファイル"));
  sel_fil->setSelectionMode(QAbstractItemView::ExtendedSelection);
  sel_dir = Named(new FolderTree, "sel_dir", QStringLiteral("フォルダ"));
  sel_drv = Named(new QComboBox, "sel_drv", QStringLiteral("ドライブ"));
  auto* right = new QVBoxLayout;
  right->addWidget(sel_dir, 1);
  right->addWidget(sel_drv);
  auto* row = new QHBoxLayout(FILE_SEL);
  row->addWidget(sel_fil, 1);
  row->addLayout(right, 1);
  connect(sel_drv, &QComboBox::currentIndexChanged, this, &vorn_htm::sel_drv_Change);
  connect(sel_dir, &FolderTree::folder_changed, this, &vorn_htm::sel_dir_Change);
  return FILE_SEL;
}

QWidget* vorn_htm::make_folder_frame() {
  frmFold = Named(new QGroupBox(QStringLiteral("出力先フォルダ")), "frmFold", QStringLiteral("出力先フォルダ"));
  txtFold = Named(new FoldEdit, "txtFold", QStringLiteral("出力先フォルダ"));
  btnSelDir = Named(new QPushButton(QStringLiteral("...")), "btnSelDir", QStringLiteral("..."));
  btnSelDir->setFont(PGothic_Font());
  btnSelDir->setFixedWidth(btnSelDir->fontMetrics().horizontalAdvance("....") + 24);
  auto* row = new QHBoxLayout(frmFold);
  row->addWidget(txtFold, 1);
  row->addWidget(btnSelDir);
  connect(btnSelDir, &QPushButton::clicked, this, &vorn_htm::btnSelDir_Click);
  connect(txtFold, &FoldEdit::double_clicked, this, &vorn_htm::txtFold_DblClick);
  return frmFold;
}

QWidget* vorn_htm::make_progress_frame() {
  Frame1 = Named(new QGroupBox(QStringLiteral("実行経過状況")), "Frame1", QStringLiteral("実行経過状況"));
  Syori_no = Named(new QLabel(QStringLiteral("(10／10)")), "Syori_no", QStringLiteral("処理"));
  Syosai_no = Named(new QLabel(QStringLiteral("(10／10)")), "Syosai_no", QStringLiteral("詳細"));
  for (QLabel* l : {Syori_no, Syosai_no}) l->setMinimumWidth(l->fontMetrics().horizontalAdvance("(0000000／0000000)"));
  auto* row = new QHBoxLayout(Frame1);
  row->addWidget(Syori_no);
  row->addWidget(Syosai_no);
  row->addStretch(1);
  return Frame1;
}

void vorn_htm::make_menus() {
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (vorn_htm::*slot)()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  const auto line = [](QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
  };
  QMenu* m_com = menuBar()->addMenu(QStringLiteral("ｺﾏﾝﾄﾞ(&C)"));
  m_com->setObjectName("m_com");
  m_jikkou = item(m_com, "m_jikkou", QStringLiteral("実行(&E)"), &vorn_htm::m_jikkou_Click);
  m_sakujo = item(m_com, "m_sakujo", QStringLiteral("メッセージの削除(&D)..."), &vorn_htm::m_sakujo_Click);
  line(m_com, "m_line_1");
  item(m_com, "m_end", QStringLiteral("終了(&X)"), &vorn_htm::m_end_Click);
  QMenu* m_settei = menuBar()->addMenu(QStringLiteral("設定(&S)"));
  m_settei->setObjectName("m_settei");
  item(m_settei, "set_gamen", QStringLiteral("設定画面(&G)"), &vorn_htm::set_gamen_Click);
  QMenu* m_help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  m_help->setObjectName("m_help");
  item(m_help, "m_readme", QStringLiteral("vorn_htmについて(&B)"), &vorn_htm::m_readme_Click);
  line(m_help, "m_line_2");
  item(m_help, "m_version", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&I)"), &vorn_htm::m_version_Click);
}

void vorn_htm::Form_Load() {
  Cur_Drive_ = volume_of(QDir::currentPath());
  fill_drives(mounted_volumes());
  Syori_no->clear();
  Syosai_no->clear();
}

void vorn_htm::fill_drives(const QStringList& roots) {
  QStringList all = roots;
  if (!Cur_Drive_.isEmpty() && !all.contains(Cur_Drive_)) all.push_front(Cur_Drive_);
  sel_drv->blockSignals(true);
  sel_drv->clear();
  sel_drv->addItems(all);
  sel_drv->setCurrentIndex(-1);
  sel_drv->blockSignals(false);
  const int at = all.indexOf(Cur_Drive_);
  sel_drv->setCurrentIndex(at >= 0 ? at : 0);
}

void vorn_htm::open_files(const QStringList& paths) {
  if (paths.isEmpty()) return;
  const QString folder = QFileInfo(paths.front()).absolutePath();
  QStringList chosen, left_out;
  for (const QString& path : paths) {
    const QFileInfo file(path);
    if (file.absolutePath() == folder)
      chosen << file.fileName();
    else
      left_out << QDir::toNativeSeparators(file.absoluteFilePath());
  }
  QDir::setCurrent(folder);
  Cur_Drive_ = volume_of(folder);
  fill_drives(mounted_volumes());  // the drive's tree, opened at the current folder
  if (sel_dir->path() != folder) sel_dir_Change(folder);
  sel_fil->clearSelection();
  for (const QString& name : chosen) {
    const QList<QListWidgetItem*> found = sel_fil->findItems(name, Qt::MatchExactly);
    QListWidgetItem* item = found.isEmpty() ? nullptr : found.front();
    if (!item) {
      sel_fil->addItem(name);
      item = sel_fil->item(sel_fil->count() - 1);
    }
    item->setSelected(true);
  }
  if (!left_out.isEmpty())
    dialog_host().message(
        this, QStringLiteral("vorn_htm"),
        QStringLiteral("選択できるのは一つのフォルダのファイルだけです。次のファイルは選択していません:\n") +
            left_out.join('\n'),
        DialogHost::Icon::Information);
}

void vorn_htm::sel_drv_Change(int index) {
  if (index < 0) return;
  const QString root = sel_drv->itemText(index);
  if (!readable_volume(root)) {
    dialog_host().message(this, QStringLiteral("エラー"), QStringLiteral("無効なドライブが選択されました。"),
                          DialogHost::Icon::Critical);
    sel_drv->blockSignals(true);
    sel_drv->setCurrentIndex(sel_drv->findText(Cur_Drive_));
    sel_drv->blockSignals(false);
    return;
  }
  Cur_Drive_ = root;
  sel_dir->set_root(root);
  const QString here = QDir::currentPath();
  sel_dir->set_path(volume_of(here) == root ? here : root);
}

void vorn_htm::sel_dir_Change(const QString& folder) {
  QDir::setCurrent(folder);
  sel_fil->clear();
  const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
  for (const QString& name : names)
    if (is_mailbox_name(name)) sel_fil->addItem(name);
}

void vorn_htm::btnSelDir_Click() {
  dir_sel chooser(txtFold, ws_.Help_Dir, this);
  chooser.exec();
}

void vorn_htm::txtFold_DblClick() {
  // Before the first run there is no history file, and nothing happens.
  const std::optional<std::vector<std::string>> folders = history_folders(ws_.App_Dir);
  if (!folders) return;
  OutDir_sel history(txtFold, *folders, QCursor::pos(), this);
  history.exec();
}

void vorn_htm::jik_btn_Click() {
  if (running()) return;  // one run at a time
  std::vector<std::string> files;
  const QString folder = sel_dir->path();
  for (int i = 0; i < sel_fil->count(); ++i)
    if (sel_fil->item(i)->isSelected()) files.push_back(child_path(folder, sel_fil->item(i)->text()).toStdString());
  const std::string typed = txtFold->text().toStdString();
  ws_.ui = run_ui_;
  set_running(true);
  auto ok = std::make_shared<bool>(false);
  run_thread_ = QThread::create([this, typed, files, ok] { *ok = window_conversion(ws_, typed, files); });
  connect(run_thread_, &QThread::finished, this, [this, ok] { run_ended(*ok); });
  run_thread_->start();
}

// Takes one message out of the archive in the output folder box for good:
// asks for its Message-ID, then once whether to go on.
void vorn_htm::m_sakujo_Click() {
  if (running()) return;
  const QString folder = txtFold->text();
  if (folder.trimmed().isEmpty()) {
    dialog_host().message(this, QStringLiteral("警告"), QStringLiteral("出力先フォルダを指定してください。"),
                          DialogHost::Icon::Warning);
    return;
  }
  const std::optional<QString> typed =
      dialog_host().input(this, QStringLiteral("メッセージの削除"),
                          QStringLiteral("アーカイブから削除するメッセージの Message-ID を入力してください。"));
  if (!typed || typed->trimmed().isEmpty()) return;
  const QString id = typed->trimmed();
  const QString question = folder + QStringLiteral(" から次のメッセージを削除します。\r") + id +
                           QStringLiteral("\rページは削除の通知だけになり、添付ファイルも消えます。元に戻せません。");
  if (dialog_host().message(this, QStringLiteral("確認"), question, DialogHost::Icon::Question,
                            DialogHost::Buttons::OkCancel) != DialogHost::Answer::Ok)
    return;
  const std::string typed_folder = folder.toStdString();
  const std::vector<std::string> ids{id.toStdString()};
  ws_.ui = run_ui_;
  set_running(true);
  auto ok = std::make_shared<bool>(false);
  run_thread_ = QThread::create([this, typed_folder, ids, ok] { *ok = window_removal(ws_, typed_folder, ids); });
  connect(run_thread_, &QThread::finished, this, [this, ok] { run_ended(*ok); });
  run_thread_->start();
}

void vorn_htm::run_ended(bool ok) {
  run_thread_->wait();
  delete run_thread_;
  run_thread_ = nullptr;
  run_ui_->show_progress();
  set_running(false);
  emit run_finished(ok);
}

void vorn_htm::set_running(bool on) {
  jik_btn->setEnabled(!on);
  m_jikkou->setEnabled(!on);
  m_sakujo->setEnabled(!on);
  // The lists set the process's current folder, which a relative output
  // folder of the run refers to: they wait for the run.
  FILE_SEL->setEnabled(!on);
  frmFold->setEnabled(!on);
}

void vorn_htm::m_jikkou_Click() { jik_btn_Click(); }

void vorn_htm::end_program() {
  if (running()) {
    // At once, also during a run: every file the run has finished is
    // complete on disk, and the next run mends what this one leaves.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  QApplication::closeAllWindows();
  QApplication::quit();
}

void vorn_htm::end_btn_Click() { end_program(); }

void vorn_htm::m_end_Click() { end_program(); }

void vorn_htm::closeEvent(QCloseEvent* e) {
  if (running()) end_program();
  e->accept();
}

void vorn_htm::set_gamen_Click() {
  ini_gmn screen(ws_.App_Dir, ws_.Sample_Dir, ws_.Help_Dir, this);
  screen.exec();
}

void vorn_htm::m_readme_Click() {
  dialog_host().open(this, QString::fromStdString(ws_.Help_Dir) + "/help_vorn_htm.html");
}

void vorn_htm::m_version_Click() {
  vh_ver about(ws_.Help_Dir, this);
  about.exec();
}
