#include "run/gui/main_window.h"

#include "core/workspace.h"

vorn_htm::vorn_htm(Workspace& ws, QWidget* parent) : QMainWindow(parent), ws_(ws) {
  setObjectName("vorn_htm");
  setWindowTitle(QStringLiteral("MBX→HTML"));
}
