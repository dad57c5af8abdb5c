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
    put_body_tag(out, *body);
    out.append("\r\n");
  }
}

std::string page_head(std::string_view title, TitleEnd end, const Settings* body, std::string_view extra) {
  std::string out;
  put_page_head(out, title, end, body, extra);
  return out;
}

void put_body_tag(std::string& out, const Settings& set) {
  for (std::string_view piece :
       {std::string_view("<BODY BGCOLOR=\""), std::string_view(set.BGR_COL), std::string_view("\" TEXT=\""),
        std::string_view(set.TXT_COL), std::string_view("\" LINK=\""), std::string_view(set.LNK_COL),
        std::string_view("\" VLINK=\""), std::string_view(set.VLK_COL), std::string_view("\" ALINK=\"#000000\">")})
    out.append(piece);
}

std::string body_tag(const Settings& set) {
  std::string out;
  put_body_tag(out, set);
  return out;
}

std::string font_size_tag(const Settings& set) { return "<FONT SIZE=" + std::to_string(set.FT_SIZE) + ">"; }

void put_quote_colour_tag(std::string& out, const Settings& set) {
  out.append("<FONT COLOR=\"");
  out.append(set.REP_COL);
  out.append("\">");
}

std::string quote_colour_tag(const Settings& set) {
  std::string out;
  put_quote_colour_tag(out, set);
  return out;
}
