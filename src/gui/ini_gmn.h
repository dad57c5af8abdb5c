// The settings screen "設定ファイル", the one editor of "vorn_htm.ini". It
// loads the file when it is made (creating a default file when there is
// none), keeps the edits in its controls and five kept colour texts until
// they are saved, shows the current choices as a sample page, and asks about
// unsaved edits when closed with its end command (its close box closes it
// without a question).
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "settings/ini_screen.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLayout;
class QMenuBar;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ini_gmn : public QDialog {
  Q_OBJECT

 public:
  // App_Dir holds the settings file, Sample_Dir receives the sample pages
  // (and the shell opens dmy_top.html from there), Help_Dir holds
  // help_vorn_ini.html.
  ini_gmn(const std::string& App_Dir, const std::string& Sample_Dir, const std::string& Help_Dir,
          QWidget* parent = nullptr);

  // Whether there are edits not yet saved.
  bool changed() const { return changed_; }

  // The screen as its controls and kept colours stand.
  IniScreen screen() const;

  void done(int result) override;

 public slots:
  void sav_btn_Click();
  void sam_btn_Click();
  void end_btn_Click();
  void cmd_hlp_Click();
  void bgr_col_btn_Click();
  void txt_col_btn_Click();
  void lnk_col_btn_Click();
  void vlk_col_btn_Click();
  void rep_col_btn_Click();
  void font_up_Click();
  void font_down_Click();
  // The list width check.
  void g_iti_per_LostFocus();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Esc does not close the screen: it would drop the edits unasked.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  QLayout* make_left_column();
  QLayout* make_right_column();
  QGroupBox* make_frame_group();
  QGroupBox* make_colour_group();
  QGroupBox* make_quote_group();
  QGroupBox* make_size_group();
  QGroupBox* make_date_group();
  QLayout* make_buttons();
  QMenuBar* make_menus();
  void track_changes();
  void show_screen(const IniScreen& scr);
  void paint_colours();
  // Opens the picker on one kept colour; a colour handed back replaces it.
  void pick(IniColour& colour);
  void show_fault(const IniFault& fault);

  std::string App_Dir_, Sample_Dir_, Help_Dir_;
  IniScreen colours_;  // only the five kept colours are used
  bool changed_ = false;
  bool closing_ = false;

  QCheckBox* g_s_title_;
  std::array<QLineEdit*, 5> g_title_d_;
  QCheckBox* g_mn_subj_;
  QCheckBox* g_mn_date_;
  QCheckBox* g_mn_hasn_;
  QCheckBox* g_mn_adrs_;
  QCheckBox* g_sbj_kak_;
  QCheckBox* g_sbj_res_;
  QCheckBox* g_kob_subj_;
  QCheckBox* g_kob_date_;
  QCheckBox* g_kob_from_;
  QCheckBox* g_kob_to_;
  QCheckBox* g_kob_thre_;
  QRadioButton* g_frm_sayuu_;
  QRadioButton* g_frm_jouge_;
  QLineEdit* g_iti_per_;
  QFrame* g_bgr_col_;
  QLabel* g_txt_col_;
  QLabel* g_lnk_col_;
  QLabel* g_vlk_col_;
  QLabel* g_rep_col_;
  QLineEdit* g_rep_mrk_;
  QLabel* g_ft_size_;
  QLineEdit* g_date_format_;
  QCheckBox* g_ml_rank_;
  QCheckBox* g_te_file_;
  QCheckBox* g_srch_ix_;
  QCheckBox* g_nav_lnk_;
  QLineEdit* g_bas_url_;
  QCheckBox* g_adr_hid_;
};
