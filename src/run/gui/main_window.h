// The main window "MBX→HTML": the mailbox files, the output folder, the
// progress labels, and the menus to the settings screen, help and version.
#pragma once

#include <QMainWindow>

struct Workspace;

class vorn_htm : public QMainWindow {
  Q_OBJECT

 public:
  explicit vorn_htm(Workspace& ws, QWidget* parent = nullptr);

 private:
  Workspace& ws_;
};
