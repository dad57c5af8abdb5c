// The colour picker "COLOR_SELECT" (being built).
#pragma once

#include <QDialog>
#include <QString>

class col_sel : public QDialog {
  Q_OBJECT

 public:
  explicit col_sel(QString& shared_colour, QWidget* parent = nullptr);

 private:
  QString& shared_;
};
