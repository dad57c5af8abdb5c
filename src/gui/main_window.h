// The main window "MBX→HTML": the mailbox files, the output folder, the
// progress labels, and the menus to the settings screen, help and version.
// It owns the run workspace; a run works on a thread of its own.
#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QString>
#include <QStringList>

struct Workspace;
class FolderTree;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QThread;
class WindowRunUi;

// The output folder box: a line edit that tells of double clicks.
class FoldEdit : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

 signals:
  void double_clicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// True when name is a mailbox file the file list shows (by its extension,
// in any letter case).
bool is_mailbox_name(const QString& name);

class vorn_htm : public QMainWindow {
  Q_OBJECT

 public:
  explicit vorn_htm(Workspace& ws, QWidget* parent = nullptr);
  ~vorn_htm() override;

  // Whether a run is under way.
  bool running() const { return run_thread_ != nullptr; }
  // The drive list's volumes (the start-up fills it with mounted_volumes).
  void fill_drives(const QStringList& roots);
  // "Open with": shows the folder of the first file and chooses in the file
  // list those of the files that are in it (a file the list would not show
  // by its extension is added). Files of other folders are left out, and a
  // message names them.
  void open_files(const QStringList& paths);
  QString Cur_Drive() const { return Cur_Drive_; }

 signals:
  // Every text the run gives the run-step label, in order.
  void step_text(const QString& text);
  // A run has ended; ok when the archive was written.
  void run_finished(bool ok);

 public slots:
  void sel_drv_Change(int index);
  void sel_dir_Change(const QString& folder);
  void btnSelDir_Click();
  void txtFold_DblClick();
  void jik_btn_Click();
  void m_jikkou_Click();
  void m_sakujo_Click();
  void end_btn_Click();
  void m_end_Click();
  void set_gamen_Click();
  void m_readme_Click();
  void m_version_Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Form_Load();
  QWidget* make_file_frame();
  QWidget* make_folder_frame();
  QWidget* make_progress_frame();
  void make_menus();
  void set_running(bool on);
  void run_ended(bool ok);
  void end_program();

  Workspace& ws_;
  QString Cur_Drive_;
  QGroupBox* FILE_SEL = nullptr;
  QListWidget* sel_fil = nullptr;
  FolderTree* sel_dir = nullptr;
  QComboBox* sel_drv = nullptr;
  QGroupBox* frmFold = nullptr;
  FoldEdit* txtFold = nullptr;
  QPushButton* btnSelDir = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel* Syori_no = nullptr;
  QLabel* Syosai_no = nullptr;
  QPushButton* jik_btn = nullptr;
  QPushButton* end_btn = nullptr;
  QAction* m_jikkou = nullptr;
  QAction* m_sakujo = nullptr;
  WindowRunUi* run_ui_ = nullptr;
  QThread* run_thread_ = nullptr;
};
