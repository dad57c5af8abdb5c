// The colour picker "COLOR_SELECT": three bars mix red, green and blue; the
// swatch and its six-digit code follow them. The shared colour text is the
// only channel to the caller: on entry it holds the start colour (six
// hexadecimal digits, red first, no "#"); "OK" leaves the code shown (upper
// case), "CANSEL" an empty text; the window's close box (and Esc) leave it
// as the caller put it.
#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QLayout;
class QScrollBar;

class col_sel : public QDialog {
  Q_OBJECT

 public:
  explicit col_sel(QString& shared_colour, QWidget* parent = nullptr);

 public slots:
  // Repaints the swatch and the code from the three bars.
  void Color_Set();

 private slots:
  void ok_btn_Click();
  void can_btn_Click();

 private:
  QLayout* make_swatch();
  QLayout* make_bars();
  QLayout* make_buttons();

  QString& shared_;
  QScrollBar* r_sel_;
  QScrollBar* g_sel_;
  QScrollBar* b_sel_;
  QFrame* col_dsp_;
  QLabel* val_col_;
};
