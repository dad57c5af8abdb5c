// The output file chooser "出力ファイル選択": a borderless pop-up list of the
// output folders used before (the history file), opened at a screen point.
// Picking an entry writes it into the caller's output folder box.
#pragma once

#include <QDialog>
#include <QPoint>
#include <string>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

class OutDir_sel : public QDialog {
  Q_OBJECT

 public:
  // Reads App_Dir + "/vorn_htm.his" and puts the window's top-left corner at
  // the screen point at. Without a history file the pop-up closes as soon as
  // it is opened, showing nothing. txtFold (may be null) gets the pick.
  OutDir_sel(QLineEdit* txtFold, const std::string& App_Dir, const QPoint& at, QWidget* parent = nullptr);

  // Returns Rejected at once, without showing anything, when there was no
  // history file to read.
  int exec() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void pick(QListWidgetItem* item);

  QLineEdit* txtFold_;
  QListWidget* lstFileSel_;
  bool has_history_ = false;
};
