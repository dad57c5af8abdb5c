#include "gui/ini_gmn.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>

#include "core/file_info.h"
#include "core/vb_error.h"
#include "gui/col_sel.h"
#include "gui/dialog_host.h"
#include "gui/ini_checks.h"
#include "gui/program_look.h"
#include "settings/color_conv.h"
#include "settings/sample_preview.h"

namespace {

// A platform colour value (blue * 65536 + green * 256 + red) as a QColor.
QColor colour_of(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QGroupBox* group(const char* name, const QString& caption) { return Named(new QGroupBox(caption), name, caption); }

QCheckBox* check(const char* name, const QString& caption) { return Named(new QCheckBox(caption), name, caption); }

QPushButton* button(const char* name, const QString& caption) {
  auto* b = Named(new QPushButton(caption), name, caption);
  b->setAutoDefault(false);  // Return in a box must not press a button
  return b;
}

QLineEdit* box(const char* name, const QString& label) { return Named(new QLineEdit, name, label); }

}  // namespace

ini_gmn::ini_gmn(const std::string& App_Dir, const std::string& Sample_Dir, const std::string& Help_Dir,
                 QWidget* parent)
    : QDialog(parent), App_Dir_(App_Dir), Sample_Dir_(Sample_Dir), Help_Dir_(Help_Dir) {
  setObjectName("ini_gmn");
  setWindowTitle("設定ファイル");
  setWindowIcon(program_icon());
  build();

  // The load fills the controls, whose changes set the flag; a load without
  // a fault ends with it cleared, a failed one leaves it as the filling left it.
  IniScreen scr;
  const std::vector<IniFault> faults = Ini_Read(scr, App_Dir_);
  show_screen(scr);
  for (const IniFault& f : faults) show_fault(f);
  if (faults.empty()) changed_ = false;
}

// Left column: threads, list items, subject details, page items.
QLayout* ini_gmn::make_left_column() {
  auto set_changed = [this] { changed_ = true; };
  auto* thread = group("grp_thread", "スレッド関係");
  g_s_title_ = check("g_s_title", "タイトルでスレッドを結び付ける");
  auto* no_link = group("grp_title_d", "結び付けしないタイトル");
  auto* no_link_boxes = new QVBoxLayout(no_link);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "g_title_d_" + std::to_string(i);
    g_title_d_[i] = box(name.c_str(), "結び付けしないタイトル " + QString::number(i + 1));
    no_link_boxes->addWidget(g_title_d_[i]);
    connect(g_title_d_[i], &QLineEdit::textChanged, this, set_changed);
  }
  auto* thread_layout = new QVBoxLayout(thread);
  thread_layout->addWidget(g_s_title_);
  thread_layout->addWidget(no_link);

  auto* list = group("grp_list", "一覧表示項目");
  auto* list_layout = new QVBoxLayout(list);
  list_layout->addWidget(g_mn_subj_ = check("g_mn_subj", "タイトルを表示する"));
  list_layout->addWidget(g_mn_date_ = check("g_mn_date", "日付を表示する"));
  list_layout->addWidget(g_mn_hasn_ = check("g_mn_hasn", "発信者を表示する"));
  list_layout->addWidget(g_mn_adrs_ = check("g_mn_adrs", "発信者アドレスを表示する"));

  auto* subject = group("grp_subject", "タイトル詳細");
  auto* subject_layout = new QVBoxLayout(subject);
  subject_layout->addWidget(g_sbj_kak_ = check("g_sbj_kak", "[]の部分を表示する"));
  subject_layout->addWidget(g_sbj_res_ = check("g_sbj_res", "Re: の部分を表示する"));

  auto* page = group("grp_page", "個別表示項目");
  auto* page_layout = new QVBoxLayout(page);
  page_layout->addWidget(g_kob_subj_ = check("g_kob_subj", "タイトルを表示する"));
  page_layout->addWidget(g_kob_date_ = check("g_kob_date", "日付を表示する"));
  page_layout->addWidget(g_kob_from_ = check("g_kob_from", "発信者を表示する"));
  page_layout->addWidget(g_kob_to_ = check("g_kob_to", "受信者を表示する"));
  page_layout->addWidget(g_kob_thre_ = check("g_kob_thre", "関連スレッド"));
  page_layout->addWidget(g_nav_lnk_ = check("g_nav_lnk", "前後リンク・スマホ表示"));

  auto* column = new QVBoxLayout;
  for (QWidget* w : {thread, list, subject, page}) column->addWidget(w);
  column->addStretch();
  return column;
}

QGroupBox* ini_gmn::make_frame_group() {
  auto* frame = group("grp_frame", "フレーム表示形式");
  g_frm_sayuu_ = Named(new QRadioButton("左右分割"), "g_frm_sayuu", "左右分割");
  g_frm_jouge_ = Named(new QRadioButton("上下分割"), "g_frm_jouge", "上下分割");
  g_frm_sayuu_->setChecked(true);
  g_iti_per_ = box("g_iti_per", "一覧表示幅(%)");
  g_iti_per_->setMaximumWidth(g_iti_per_->fontMetrics().horizontalAdvance("0000000000"));
  g_iti_per_->installEventFilter(this);
  auto* iti_label = Named(new QLabel("一覧表示幅(%)"), "lbl_iti_per", "一覧表示幅(%)");
  iti_label->setBuddy(g_iti_per_);
  auto* frame_layout = new QGridLayout(frame);
  frame_layout->addWidget(g_frm_sayuu_, 0, 0);
  frame_layout->addWidget(g_frm_jouge_, 0, 1);
  frame_layout->addWidget(iti_label, 1, 0);
  frame_layout->addWidget(g_iti_per_, 1, 1, Qt::AlignLeft);

  return frame;
}

// The swatch with its four labels, and the five colour buttons.
QGroupBox* ini_gmn::make_colour_group() {
  auto* colours = group("grp_colour", "表示色");
  g_bgr_col_ = Named(new QFrame, "g_bgr_col", "背景色");
  g_bgr_col_->setFrameShape(QFrame::Box);
  g_bgr_col_->setAutoFillBackground(true);
  auto* swatch = new QVBoxLayout(g_bgr_col_);
  auto sample = [&](const char* name, const QString& caption) {
    auto* l = Named(new QLabel(caption), name, caption);
    swatch->addWidget(l);
    return l;
  };
  g_txt_col_ = sample("g_txt_col", "普通のテキストの色 (TEXT)");
  g_lnk_col_ = sample("g_lnk_col", "未参照のリンクの色 (LINK)");
  g_vlk_col_ = sample("g_vlk_col", "参照済のリンクの色 (VLINK)");
  g_rep_col_ = sample("g_rep_col", "引用部分の色 (REPLY)");
  auto* colour_buttons = new QVBoxLayout;
  colour_buttons->setSpacing(2);
  auto colour_button = [&](const char* name, const QString& caption, void (ini_gmn::*slot)()) {
    auto* b = button(name, caption);
    connect(b, &QPushButton::clicked, this, slot);
    colour_buttons->addWidget(b);
  };
  colour_button("bgr_col_btn", "背景色変更", &ini_gmn::bgr_col_btn_Click);
  colour_button("txt_col_btn", "TEXT色変更", &ini_gmn::txt_col_btn_Click);
  colour_button("lnk_col_btn", "LINK色変更", &ini_gmn::lnk_col_btn_Click);
  colour_button("vlk_col_btn", "VLINK色変更", &ini_gmn::vlk_col_btn_Click);
  colour_button("rep_col_btn", "REPLY色変更", &ini_gmn::rep_col_btn_Click);
  auto* colour_layout = new QHBoxLayout(colours);
  colour_layout->addWidget(g_bgr_col_, 1);
  colour_layout->addLayout(colour_buttons);

  return colours;
}

QGroupBox* ini_gmn::make_quote_group() {
  auto* quote = group("grp_rep_mrk", "引用文識別文字");
  g_rep_mrk_ = box("g_rep_mrk", "左記のいずれかを含む行を引用文とする");
  g_rep_mrk_->setMaximumWidth(g_rep_mrk_->fontMetrics().horizontalAdvance("0000000000"));
  auto* quote_label =
      Named(new QLabel("左記のいずれかを含む行を引用文とする"), "lbl_rep_mrk", "左記のいずれかを含む行を引用文とする");
  quote_label->setBuddy(g_rep_mrk_);
  auto* quote_layout = new QHBoxLayout(quote);
  quote_layout->addWidget(g_rep_mrk_);
  quote_layout->addWidget(quote_label, 1);

  return quote;
}

QGroupBox* ini_gmn::make_size_group() {
  auto* size = group("grp_size", "文字サイズ");
  g_ft_size_ = Named(new QLabel("2"), "g_ft_size", "文字サイズ");
  g_ft_size_->setAlignment(Qt::AlignCenter);
  g_ft_size_->setFrameShape(QFrame::Panel);
  g_ft_size_->setFrameShadow(QFrame::Sunken);
  g_ft_size_->setMinimumWidth(g_ft_size_->fontMetrics().horizontalAdvance("00000"));
  auto* up = button("font_up", "UP");
  auto* down = button("font_down", "DOWN");
  connect(up, &QPushButton::clicked, this, &ini_gmn::font_up_Click);
  connect(down, &QPushButton::clicked, this, &ini_gmn::font_down_Click);
  auto* size_layout = new QHBoxLayout(size);
  size_layout->addWidget(g_ft_size_);
  size_layout->addWidget(up);
  size_layout->addWidget(down);
  size_layout->addWidget(Named(new QLabel("（標準＝２）"), "lbl_ft_size", "（標準＝２）"));
  size_layout->addStretch();

  return size;
}

QGroupBox* ini_gmn::make_date_group() {
  auto* date = group("grp_date", "時刻表示形式");
  g_date_format_ = box("g_date_format", "日付、時間の表示形式");
  g_date_format_->setText("yyyy-mm-dd hh:nn:ss");
  auto* date_label = Named(new QLabel("日付、時間の表示形式"), "lbl_date_format", "日付、時間の表示形式");
  date_label->setBuddy(g_date_format_);
  auto* date_layout = new QHBoxLayout(date);
  date_layout->addWidget(date_label);
  date_layout->addWidget(g_date_format_, 1);

  return date;
}

// Right column: frames, colours, quote markers, size, date format, others.
QLayout* ini_gmn::make_right_column() {
  QGroupBox* frame = make_frame_group();
  QGroupBox* colours = make_colour_group();
  QGroupBox* quote = make_quote_group();
  QGroupBox* size = make_size_group();
  QGroupBox* date = make_date_group();
  auto* other = group("grp_other", "その他の設定");
  auto* other_layout = new QVBoxLayout(other);
  other_layout->addWidget(g_ml_rank_ = check("g_ml_rank", "発信者の発言数ランキングを作成する"));
  g_bas_url_ = box("g_bas_url", "公開URL(フィード用)");
  auto* url_label = Named(new QLabel("公開URL(フィード用)"), "lbl_bas_url", "公開URL(フィード用)");
  url_label->setBuddy(g_bas_url_);
  auto* url_row = new QHBoxLayout;
  url_row->addWidget(url_label);
  url_row->addWidget(g_bas_url_);
  other_layout->addLayout(url_row);
  other_layout->addWidget(g_adr_hid_ = check("g_adr_hid", "メールアドレスを隠す (taro＠example.jp)"));
  auto* attach = group("grp_attach", "添付ファイルの設定");
  (new QVBoxLayout(attach))->addWidget(g_te_file_ = check("g_te_file", "添付ファイルを展開する"));
  auto* search = group("grp_search", "検索の設定");
  (new QVBoxLayout(search))->addWidget(g_srch_ix_ = check("g_srch_ix", "検索用の索引を作成する"));

  auto* column = new QVBoxLayout;
  for (QWidget* w : {frame, colours, quote, size, date, other, attach, search}) column->addWidget(w);
  column->addStretch();
  return column;
}

// Every edit of a box, check box or option button sets the changed flag.
void ini_gmn::track_changes() {
  auto set_changed = [this] { changed_ = true; };
  for (QCheckBox* c :
       {g_s_title_, g_mn_subj_, g_mn_date_, g_mn_hasn_, g_mn_adrs_, g_sbj_kak_, g_sbj_res_, g_kob_subj_, g_kob_date_,
        g_kob_from_, g_kob_to_, g_kob_thre_, g_ml_rank_, g_te_file_, g_srch_ix_, g_nav_lnk_, g_adr_hid_})
    connect(c, &QCheckBox::clicked, this, set_changed);
  for (QRadioButton* r : {g_frm_sayuu_, g_frm_jouge_}) connect(r, &QRadioButton::clicked, this, set_changed);
  for (QLineEdit* e : {g_rep_mrk_, g_date_format_, g_iti_per_, g_bas_url_})
    connect(e, &QLineEdit::textChanged, this, set_changed);
}

QLayout* ini_gmn::make_buttons() {
  auto* sav = button("sav_btn", "保存");
  auto* sam = button("sam_btn", "サンプル表示");
  auto* end = button("end_btn", "終了");
  connect(sav, &QPushButton::clicked, this, &ini_gmn::sav_btn_Click);
  connect(sam, &QPushButton::clicked, this, &ini_gmn::sam_btn_Click);
  connect(end, &QPushButton::clicked, this, &ini_gmn::end_btn_Click);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {sav, sam, end}) buttons->addWidget(b);

  return buttons;
}

QMenuBar* ini_gmn::make_menus() {
  auto* menus = Named(new QMenuBar, "menu_bar", "");
  QMenu* command = menus->addMenu("ｺﾏﾝﾄﾞ(&C)");
  command->setObjectName("mnu_cmd");
  auto item = [&](QMenu* m, const char* name, const QString& caption, void (ini_gmn::*slot)()) {
    QAction* a = m->addAction(caption);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
  };
  item(command, "cmd_sav", "保存(&S)", &ini_gmn::sav_btn_Click);
  item(command, "cmd_sam", "サンプル表示(&D)", &ini_gmn::sam_btn_Click);
  command->addSeparator();
  item(command, "cmd_end", "終了(&X)", &ini_gmn::end_btn_Click);
  QMenu* help = menus->addMenu("ﾍﾙﾌﾟ(&H)");
  help->setObjectName("mnu_hlp");
  item(help, "cmd_hlp", "画面説明(&H)", &ini_gmn::cmd_hlp_Click);

  return menus;
}

void ini_gmn::build() {
  auto* columns = new QHBoxLayout;
  columns->addLayout(make_left_column(), 1);
  columns->addLayout(make_right_column(), 1);
  track_changes();
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(make_menus());
  layout->addLayout(columns);
  layout->addLayout(make_buttons());
}

void ini_gmn::show_screen(const IniScreen& scr) {
  g_s_title_->setChecked(scr.g_s_title);
  for (std::size_t i = 0; i < g_title_d_.size(); ++i) g_title_d_[i]->setText(from_sjis(scr.g_title_d[i]));
  g_mn_subj_->setChecked(scr.g_mn_subj);
  g_mn_date_->setChecked(scr.g_mn_date);
  g_mn_hasn_->setChecked(scr.g_mn_hasn);
  g_mn_adrs_->setChecked(scr.g_mn_adrs);
  g_sbj_kak_->setChecked(scr.g_sbj_kak);
  g_sbj_res_->setChecked(scr.g_sbj_res);
  g_kob_subj_->setChecked(scr.g_kob_subj);
  g_kob_date_->setChecked(scr.g_kob_date);
  g_kob_from_->setChecked(scr.g_kob_from);
  g_kob_to_->setChecked(scr.g_kob_to);
  g_kob_thre_->setChecked(scr.g_kob_thre);
  (scr.g_frm_sayuu ? g_frm_sayuu_ : g_frm_jouge_)->setChecked(true);
  g_iti_per_->setText(from_sjis(scr.g_iti_per));
  colours_.g_bgr_col = scr.g_bgr_col;
  colours_.g_txt_col = scr.g_txt_col;
  colours_.g_lnk_col = scr.g_lnk_col;
  colours_.g_vlk_col = scr.g_vlk_col;
  colours_.g_rep_col = scr.g_rep_col;
  paint_colours();
  g_rep_mrk_->setText(from_sjis(scr.g_rep_mrk));
  g_ft_size_->setText(from_sjis(scr.g_ft_size));
  g_date_format_->setText(from_sjis(scr.g_date_format));
  g_ml_rank_->setChecked(scr.g_ml_rank);
  g_te_file_->setChecked(scr.g_te_file);
  g_srch_ix_->setChecked(scr.g_srch_ix);
  g_nav_lnk_->setChecked(scr.g_nav_lnk);
  g_bas_url_->setText(from_sjis(scr.g_bas_url));
  g_adr_hid_->setChecked(scr.g_adr_hid);
}

IniScreen ini_gmn::screen() const {
  IniScreen scr;
  scr.g_s_title = g_s_title_->isChecked();
  for (std::size_t i = 0; i < g_title_d_.size(); ++i) scr.g_title_d[i] = to_sjis(g_title_d_[i]->text());
  scr.g_mn_subj = g_mn_subj_->isChecked();
  scr.g_mn_date = g_mn_date_->isChecked();
  scr.g_mn_hasn = g_mn_hasn_->isChecked();
  scr.g_mn_adrs = g_mn_adrs_->isChecked();
  scr.g_sbj_kak = g_sbj_kak_->isChecked();
  scr.g_sbj_res = g_sbj_res_->isChecked();
  scr.g_kob_subj = g_kob_subj_->isChecked();
  scr.g_kob_date = g_kob_date_->isChecked();
  scr.g_kob_from = g_kob_from_->isChecked();
  scr.g_kob_to = g_kob_to_->isChecked();
  scr.g_kob_thre = g_kob_thre_->isChecked();
  scr.g_frm_sayuu = g_frm_sayuu_->isChecked();
  scr.g_iti_per = to_sjis(g_iti_per_->text());
  scr.g_bgr_col = colours_.g_bgr_col;
  scr.g_txt_col = colours_.g_txt_col;
  scr.g_lnk_col = colours_.g_lnk_col;
  scr.g_vlk_col = colours_.g_vlk_col;
  scr.g_rep_col = colours_.g_rep_col;
  scr.g_rep_mrk = to_sjis(g_rep_mrk_->text());
  scr.g_ft_size = to_sjis(g_ft_size_->text());
  scr.g_date_format = to_sjis(g_date_format_->text());
  scr.g_ml_rank = g_ml_rank_->isChecked();
  scr.g_te_file = g_te_file_->isChecked();
  scr.g_srch_ix = g_srch_ix_->isChecked();
  scr.g_nav_lnk = g_nav_lnk_->isChecked();
  scr.g_bas_url = to_sjis(g_bas_url_->text());
  scr.g_adr_hid = g_adr_hid_->isChecked();
  return scr;
}

void ini_gmn::paint_colours() {
  QPalette fill = g_bgr_col_->palette();
  fill.setColor(QPalette::Window, colour_of(colours_.g_bgr_col.shown));
  g_bgr_col_->setPalette(fill);
  auto ink = [](QLabel* label, const IniColour& c) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour_of(c.shown));
    label->setPalette(p);
  };
  ink(g_txt_col_, colours_.g_txt_col);
  ink(g_lnk_col_, colours_.g_lnk_col);
  ink(g_vlk_col_, colours_.g_vlk_col);
  ink(g_rep_col_, colours_.g_rep_col);
}

void ini_gmn::show_fault(const IniFault& fault) {
  dialog_host().message(this, "エラー", from_utf8(ini_fault_text(fault)), DialogHost::Icon::Critical);
}

void ini_gmn::pick(IniColour& colour) {
  QString shared = from_sjis(colour.kept);
  {
    col_sel picker(shared, this);
    picker.exec();
  }
  if (shared.isEmpty()) return;
  colour.kept = to_sjis(shared);
  colour.shown = Color_Conv("#" + colour.kept);
  paint_colours();
  changed_ = true;
}

void ini_gmn::bgr_col_btn_Click() { pick(colours_.g_bgr_col); }
void ini_gmn::txt_col_btn_Click() { pick(colours_.g_txt_col); }
void ini_gmn::lnk_col_btn_Click() { pick(colours_.g_lnk_col); }
void ini_gmn::vlk_col_btn_Click() { pick(colours_.g_vlk_col); }
void ini_gmn::rep_col_btn_Click() { pick(colours_.g_rep_col); }

void ini_gmn::font_up_Click() {
  const int size = size_start(g_ft_size_->text());
  if (size < kSizeMax) {
    g_ft_size_->setText(QString::number(size + 1));
    changed_ = true;
  } else {
    dialog_host().message(this, "エラー", "文字サイズは１～５です。", DialogHost::Icon::Warning);
  }
}

void ini_gmn::font_down_Click() {
  const int size = size_start(g_ft_size_->text());
  if (size > kSizeMin) {
    g_ft_size_->setText(QString::number(size - 1));
    changed_ = true;
  } else {
    dialog_host().message(this, "エラー", "文字サイズは－３～５です。", DialogHost::Icon::Warning);
  }
}

void ini_gmn::g_iti_per_LostFocus() {
  switch (check_width(g_iti_per_->text())) {
    case WidthCheck::Accepted:
      return;
    case WidthCheck::NotNumber:
      dialog_host().message(this, "Error", "数値で入力して下さい。既定値に戻します。", DialogHost::Icon::Critical);
      break;
    case WidthCheck::OutOfRange:
      dialog_host().message(this, "Error", "範囲外です。1～99の範囲で入力して下さい。既定値に戻します。",
                            DialogHost::Icon::Critical);
      break;
  }
  g_iti_per_->setText("50");
}

bool ini_gmn::eventFilter(QObject* watched, QEvent* event) {
  // The width is checked when the focus moves on to another control of this
  // screen; opening a menu, switching windows or closing the screen is no
  // such move (so a menu command takes the text as it stands).
  if (watched == g_iti_per_ && event->type() == QEvent::FocusOut && !closing_) {
    switch (static_cast<QFocusEvent*>(event)->reason()) {
      case Qt::ActiveWindowFocusReason:
      case Qt::PopupFocusReason:
      case Qt::MenuBarFocusReason:
        break;
      default:
        g_iti_per_LostFocus();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ini_gmn::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ini_gmn::sav_btn_Click() {
  if (auto fault = ini_save(App_Dir_, screen())) {
    show_fault(*fault);
    return;
  }
  changed_ = false;
}

void ini_gmn::sam_btn_Click() {
  try {
    sample_write(screen(), Sample_Dir_);
  } catch (const std::exception& e) {
    show_fault({"サンプル表示", vb_error_number(e)});
    return;
  }
  dialog_host().open(this, from_utf8(join_path(Sample_Dir_, "dmy_top.html")));
}

void ini_gmn::end_btn_Click() {
  if (changed_ &&
      dialog_host().message(this, "確認", "変更された情報が保存されていません。保存しますか？",
                            DialogHost::Icon::Question, DialogHost::Buttons::OkCancel) == DialogHost::Answer::Ok)
    sav_btn_Click();
  close();
}

void ini_gmn::cmd_hlp_Click() { dialog_host().open(this, from_utf8(join_path(Help_Dir_, "help_vorn_ini.html"))); }

void ini_gmn::done(int result) {
  closing_ = true;
  QDialog::done(result);
  closing_ = false;  // a dialog may be opened again
}
