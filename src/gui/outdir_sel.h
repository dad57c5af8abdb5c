// The output file chooser "出力ファイル選択": a borderless pop-up list of the
// output folders used before (the caller reads them from the history file),
// opened at a screen point. Picking an entry writes it into the caller's
// output folder box.
#pragma once

#include <QDialog>
#include <QPoint>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

class OutDir_sel : public QDialog {
  Q_OBJECT

 public:
  // Lists folders (UTF-8, in the order given) and puts the window's top-left
  // corner at the screen point at. txtFold (may be null) gets the pick.
  OutDir_sel(QLineEdit* txtFold, const std::vector<std::string>& folders, const QPoint& at, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void pick(QListWidgetItem* item);

  QLineEdit* txtFold_;
  QListWidget* lstFileSel_;
};
