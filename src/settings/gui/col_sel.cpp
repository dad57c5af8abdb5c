#include "settings/gui/col_sel.h"

col_sel::col_sel(QString& shared_colour, QWidget* parent) : QDialog(parent), shared_(shared_colour) {
  setObjectName("col_sel");
  setWindowTitle("COLOR_SELECT");
}
