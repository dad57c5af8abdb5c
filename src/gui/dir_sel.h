// The folder chooser "フォルダ選択": picks the output folder from a folder
// tree of one mounted volume, and creates or removes empty folders on the
// way. Confirming writes the open folder into the caller's output folder box.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <string>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class dir_sel : public QDialog {
  Q_OBJECT

 public:
  // Starts at the process's current folder and its volume. txtFold (may be
  // null) receives the folder on confirmation; the help page is looked for
  // in Help_Dir.
  dir_sel(QLineEdit* txtFold, const std::string& Help_Dir, QWidget* parent = nullptr);

  // The open folder: the one every command acts on (not a merely
  // highlighted entry). Absolute, without a trailing "/" except for "/".
  QString open_folder() const { return open_; }
  // Opens folder as a double click on it would; false (nothing changed)
  // when it is no folder.
  bool set_open_folder(const QString& folder);

 public slots:
  void btnAdd_Click();
  void btnDel_Click();
  void btnKakutei_Click();
  void btnCansel_Click();
  void mnu_setsumei_Click();
  void sel_drv_Change();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The parts of the window, each connected to its handlers.
  QMenuBar* make_menus();
  QTreeWidget* make_folder_list();
  QHBoxLayout* make_buttons();

  // The folder above the open one, never above the root of its volume.
  QString Parent_Dir() const;
  // The root of the listed volume that holds folder (the longest root that
  // is a prefix of it; "/" when none is).
  QString volume_of(const QString& folder) const;
  // Reads the tree afresh for folder: the volume root down to it, and its
  // subfolders. False when folder is no folder.
  bool show_folder(const QString& folder);
  // Opens the folder of a tree entry (double click, Enter).
  void open_item(QTreeWidgetItem* item);
  // Shows drive in the drive list without reacting to the change.
  void select_drive(const QString& drive);
  void refuse(const QString& text);

  QLineEdit* txtFold_;
  QString help_dir_;
  QTreeWidget* sel_dir_;
  QComboBox* sel_drv_;
  QString open_;
  QString last_good_drive_;
  // The folder last open on each volume, where a change of drive goes back to.
  QHash<QString, QString> drive_folder_;
  bool selecting_drive_ = false;
};
