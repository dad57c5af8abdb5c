#include "archive/page_head.h"

#include "core/common_text.h"
#include "core/settings.h"

void put_page_head(std::string& out, std::string_view title, TitleEnd end, const Settings* body,
                   std::string_view extra) {
  out.append("<HTML>\r\n<HEAD>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n");
  if (body && body->NAV_LNK) {
    out.append(kViewportLine);
    out.append("\r\n");
    out.append(kWrapStyleLine);
    out.append("\r\n");
  }
  out.append("<TITLE>");
  html_esc_to(out, title);
  out.append(end == TitleEnd::SameLine ? "</TITLE>\r\n" : "\r\n</TITLE>\r\n");
  out.append(extra);
  out.append("</HEAD>\r\n");
  if (body) {
    out.append(body_tag(*body));
    out.append("\r\n");
  }
}

std::string page_head(std::string_view title, TitleEnd end, const Settings* body, std::string_view extra) {
  std::string out;
  put_page_head(out, title, end, body, extra);
  return out;
}

std::string body_tag(const Settings& set) {
  return "<BODY BGCOLOR=\"" + set.BGR_COL + "\" TEXT=\"" + set.TXT_COL + "\" LINK=\"" + set.LNK_COL + "\" VLINK=\"" +
         set.VLK_COL + "\" ALINK=\"#000000\">";
}

std::string font_size_tag(const Settings& set) { return "<FONT SIZE=" + std::to_string(set.FT_SIZE) + ">"; }

std::string quote_colour_tag(const Settings& set) { return "<FONT COLOR=\"" + set.REP_COL + "\">"; }
