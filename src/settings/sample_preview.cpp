#include "settings/sample_preview.h"

#include <array>
#include <string_view>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "core/file_info.h"
#include "core/file_write.h"
#include "core/program_folders.h"
#include "core/text_out.h"

namespace {

constexpr std::array<std::string_view, 3> kPages = {"dmy_top.html", "dmy_left.html", "dmy_right.html"};

// The sample texts are written here in UTF-8 and converted once a page.
std::string sj(std::string_view utf8) { return cp932::from_utf8(utf8); }

// SIZE="n" from the size display, spaces around it removed.
std::string size_attr(const IniScreen& scr) { return "SIZE=\"" + std::string(sjis::trim(scr.g_ft_size)) + "\""; }

// <FONT SIZE="n" COLOR="#rrggbb">
std::string font(const std::string& size, const IniColour& colour) {
  return "<FONT " + size + " COLOR=\"#" + colour.kept + "\">";
}

// A subject drawn as an underlined link in the given colour.
std::string link(const std::string& size, const IniColour& colour, std::string_view subject_utf8) {
  return "<U>" + font(size, colour) + sj(subject_utf8) + "</FONT></U>";
}

// A tree mark in the text colour; deeper adds one ideographic space before it.
std::string mark(const std::string& size, const IniScreen& scr, bool deeper) {
  return font(size, scr.g_txt_col) + sj(deeper ? "　└" : "└") + "</FONT>";
}

const std::string kRule(31, '-');

}  // namespace

std::string sample_top_text(const IniScreen& scr) {
  TextOut out;
  out.line("<HTML>");
  out.line("<HEAD>");
  out.line(sj("<TITLE>サンプル表示</TITLE>"));
  out.line("</HEAD>");
  out.line((scr.g_frm_sayuu ? "<FRAMESET COLS=" : "<FRAMESET ROWS=") + scr.g_iti_per + "%,*>");
  out.line("    <FRAME SRC=\"dmy_left.html\" name=\"frame1\">");
  out.line("    <FRAME SRC=\"dmy_right.html\" name=\"frame2\">");
  out.line("</FRAMESET>");
  out.line("</HTML>");
  return out.take();
}

std::string sample_left_text(const IniScreen& scr) {
  const std::string a = size_attr(scr);
  TextOut out;
  out.line("<HTML>");
  out.line("<BODY BGCOLOR=\"#" + scr.g_bgr_col.kept + "\">");
  out.line("<PRE>");
  out.line("<FONT " + a + ">");
  out.line(sj("実際のイメージのサンプルです。"));
  out.line(sj("同じようなイメージになるソースを作成しています。"));
  out.line(sj("そのため、実際のソースとは全然ちがいます。</FONT>"));
  out.line("");
  out.line(link(a, scr.g_lnk_col, "未参照のタイトル - 1"));
  out.line(mark(a, scr, false) + link(a, scr.g_lnk_col, "未参照のタイトル - ２"));
  out.line(mark(a, scr, true) + link(a, scr.g_vlk_col, "参照済のタイトル - ３"));
  out.line(mark(a, scr, false) + link(a, scr.g_vlk_col, "参照済のタイトル - ４"));
  out.line("</FONT>");
  out.line("</PRE>");
  out.line("</BODY>");
  out.line("</HTML>");
  return out.take();
}

std::string sample_right_text(const IniScreen& scr) {
  const std::string a = size_attr(scr);
  TextOut out;
  out.line("<HTML>");
  out.line("<BODY BGCOLOR=\"#" + scr.g_bgr_col.kept + "\">");
  out.line(font(a, scr.g_txt_col));
  out.line("<BR>" + kRule + "<BR>");
  out.line(sj("こちらは、一覧部で選択された項目の<BR>"));
  out.line(sj("内容が表示されます。<BR>"));
  out.line("</FONT>");
  out.line(font(a, scr.g_rep_col));
  out.line(sj("&gt; この部分は引用文です。<BR>"));
  out.line(sj("&gt; 引用文はこの色が指定されています。<BR>"));
  out.line("</FONT>");
  out.line(font(a, scr.g_txt_col));
  out.line(kRule + "<BR>");
  out.line("</FONT>");
  out.line(link(a, scr.g_lnk_col, "添付ファイル名") + "<BR>");
  out.line(kRule + "<BR>");
  out.line("</BODY>");
  out.line("</HTML>");
  return out.take();
}

void sample_write(const IniScreen& scr, const std::string& Sample_Dir) {
  make_program_folder(Sample_Dir);  // a per-user folder on first use
  for (std::string_view name : kPages) {
    const std::string path = join_path(Sample_Dir, name);
    if (exists(path)) remove_file(path);
  }
  // replace_file creates each page afresh and never writes through a link.
  replace_file(join_path(Sample_Dir, kPages[0]), sample_top_text(scr));
  replace_file(join_path(Sample_Dir, kPages[1]), sample_left_text(scr));
  replace_file(join_path(Sample_Dir, kPages[2]), sample_right_text(scr));
}
