#include "gui/col_sel.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/program_look.h"
#include "settings/colour_pick.h"

col_sel::col_sel(QString& shared_colour, QWidget* parent) : QDialog(parent), shared_(shared_colour) {
  setObjectName("col_sel");
  setWindowTitle("COLOR_SELECT");
  setWindowIcon(program_icon());

  auto* top = new QHBoxLayout;
  top->addLayout(make_swatch());
  top->addSpacing(12);
  top->addLayout(make_bars(), 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(make_buttons());
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The bars start from the shared text; setting a bar to the 0 it already
  // holds raises no change, so the code is painted once here as well.
  const ColourBars start = colour_bars_of(to_sjis(shared_));
  r_sel_->setValue(start.red);
  g_sel_->setValue(start.green);
  b_sel_->setValue(start.blue);
  Color_Set();
}

// The swatch with the code under it.
QLayout* col_sel::make_swatch() {
  col_dsp_ = Named(new QFrame, "col_dsp", "COLOR");
  col_dsp_->setFrameShape(QFrame::Box);
  col_dsp_->setFixedSize(96, 96);
  col_dsp_->setAutoFillBackground(true);
  val_col_ = Named(new QLabel, "val_col", "COLOR");
  val_col_->setAlignment(Qt::AlignCenter);
  val_col_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the code can be copied
  auto* swatch = new QVBoxLayout;
  swatch->addWidget(col_dsp_);
  swatch->addWidget(val_col_);
  swatch->addStretch();

  return swatch;
}

// One row per component: its name, its bar, its value.
QLayout* col_sel::make_bars() {
  auto* bars = new QGridLayout;
  bars->setColumnMinimumWidth(1, 256);
  bars->setColumnStretch(1, 1);
  const char* labels[] = {"lbl_r", "lbl_g", "lbl_b"};
  const char* names[] = {"r_sel", "g_sel", "b_sel"};
  const char* values[] = {"val_r", "val_g", "val_b"};
  const QString captions[] = {"RED", "GREEN", "BLUE"};
  QScrollBar** sels[] = {&r_sel_, &g_sel_, &b_sel_};
  for (int i = 0; i < 3; ++i) {
    auto* name = Named(new QLabel(captions[i]), labels[i], captions[i]);
    auto* sel = Named(new QScrollBar(Qt::Horizontal), names[i], captions[i]);
    sel->setRange(0, 255);
    sel->setSingleStep(1);
    sel->setPageStep(16);
    sel->setMinimumHeight(20);
    sel->setFocusPolicy(Qt::StrongFocus);  // reached by Tab, moved by Page Up/Down
    auto* value = Named(new QLabel("0"), values[i], captions[i]);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance("0000"));
    bars->addWidget(name, i, 0);
    bars->addWidget(sel, i, 1);
    bars->addWidget(value, i, 2);
    connect(sel, &QScrollBar::valueChanged, this, [this, value](int v) {
      value->setText(QString::number(v));
      Color_Set();
    });
    *sels[i] = sel;
  }

  return bars;
}

QLayout* col_sel::make_buttons() {
  auto* ok = Named(new QPushButton("OK"), "ok_btn", "OK");
  auto* can = Named(new QPushButton("CANSEL"), "can_btn", "CANSEL");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &col_sel::ok_btn_Click);
  connect(can, &QPushButton::clicked, this, &col_sel::can_btn_Click);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(can);

  return buttons;
}

void col_sel::Color_Set() {
  const ColourBars bars{r_sel_->value(), g_sel_->value(), b_sel_->value()};
  val_col_->setText(QString::fromStdString(colour_code(bars)));
  QPalette p = col_dsp_->palette();
  p.setColor(QPalette::Window, QColor(bars.red, bars.green, bars.blue));
  col_dsp_->setPalette(p);
}

void col_sel::ok_btn_Click() {
  shared_ = val_col_->text();
  accept();
}

void col_sel::can_btn_Click() {
  shared_.clear();
  reject();
}
