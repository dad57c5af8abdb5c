// index.html, the archive's frameset (the menu in "frame1", the chosen
// message in "frame2"), and m0000000.txt, which "frame2" shows until a
// message is picked.

#include "archive/index_page.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "archive/page_head.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

// The menu frame's share in percent as the frameset line gets it. ITI_PER
// comes from a settings file that may have been edited by hand; a text that
// is not a plain number from 1 to 99 (rounded half to even, as the settings
// screen checks it) would break the frameset or the markup around it, so it
// gives way to the default 50. A valid text is kept as written, less blanks.
std::string frame_share(std::string_view iti_per) {
  const std::string_view t = sjis::trim(iti_per);
  std::size_t i = 0, digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0 || i != t.size() || t.size() > 32) return "50";
  double value = 0;
  std::from_chars(t.data(), t.data() + t.size(), value);  // independent of the locale
  const double share = std::nearbyint(value);             // half to even
  if (share < 1 || share > 99) return "50";
  return std::string(t);
}

// With NAV_LNK on, a screen narrower than 700 CSS pixels shows one frame at
// a time, full width and without the frame border: the list at first and
// whenever the list frame loads again, a message once the message frame
// loads one. When the message frame loads the placeholder (its first load,
// or the browser's Back from the first message) the list shows: the
// placeholder offers no way on. Where the frame's address cannot be read (a
// browser that keeps pages opened from disk apart), only its first load is
// taken for the placeholder. The frameset stays as it is for wide screens
// and for browsers without scripts.
std::string narrow_script() {
  return "<SCRIPT>var vornLoads=0,vornShown=1,vornWide=null;"
         "function vornApply(){var f=document.getElementsByTagName(\"FRAMESET\")[0];if(!f)return;"
         "var a=f.getAttribute(\"cols\")!==null?\"cols\":\"rows\";if(vornWide===null)vornWide=f.getAttribute(a);"
         "var n=window.innerWidth<700;"
         "if(n){f.setAttribute(\"border\",\"0\");f.setAttribute(\"frameborder\",\"0\");}"
         "else{f.removeAttribute(\"border\");f.removeAttribute(\"frameborder\");}"
         "f.setAttribute(a,n?(vornShown==1?\"100%,0\":\"0,100%\"):vornWide);}"
         "function vornLoaded(n){var p=null;if(n==2)try{p=frames[1].location.pathname;}catch(e){}"
         "if(n==2&&(p===null?++vornLoads<2:p.slice(-" +
         std::to_string(kPlaceholderFile.name.size()) + ")==\"" + std::string(kPlaceholderFile.name) +
         "\"))n=1;vornShown=n;vornApply();}"
         "window.addEventListener(\"resize\",vornApply);"
         "document.addEventListener(\"DOMContentLoaded\",vornApply);</SCRIPT>";
}

// The head lines of index.html for phones.
std::string narrow_head(const Settings& set) {
  if (!set.NAV_LNK) return {};
  return std::string(kViewportLine) + "\r\n" + narrow_script() + "\r\n";
}

// The FRAME line of one frame; with NAV_LNK on it tells the script above
// when the frame has loaded.
std::string frame_line(std::string_view src, int number, const Settings& set) {
  std::string line = "    <FRAME SRC=\"" + std::string(src) + "\" name=\"frame" + std::to_string(number) + "\"";
  if (set.NAV_LNK) line += " onload=\"vornLoaded(" + std::to_string(number) + ")\"";
  return line + ">";
}

}  // namespace

bool Make_Index(Workspace& ws, const std::string& folder) {
  try {
    ws.Syosai_no(0, 100);

    static const std::string kTitle = sj("メール一覧");
    static const std::string kPlaceholder = sj("この部分にメール内容が表示されます。");
    const std::string share = frame_share(ws.set.ITI_PER);

    TextOut index;
    // The same head as every other page, without a body: a browser that
    // opens index.html alone gets its title right.
    index.part(page_head(kTitle, TitleEnd::SameLine, nullptr, narrow_head(ws.set)));
    index.line((ws.set.FRM_KOU ? "<FRAMESET COLS=" : "<FRAMESET ROWS=") + share + "%,*>");
    index.line(frame_line(kMenuFile.name, 1, ws.set));
    index.line(frame_line(kPlaceholderFile.name, 2, ws.set));
    index.line("</FRAMESET>");
    index.line("</HTML>");

    TextOut placeholder;
    placeholder.line("");
    placeholder.line(kPlaceholder);

    // Each file is written beside the old one and renamed over it: the old
    // file is replaced whole, and a run that stops half-way leaves either the
    // old or the new file, never a cut-off one.
    write_file_atomic(join_path(folder, kIndexFile.name), index.data());
    write_file_atomic(join_path(folder, kPlaceholderFile.name), placeholder.data());

    ws.Syosai_no(100, 100);
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Make_Index", e);
  } catch (...) {
    ws.report_error("Make_Index", 5);
  }
  return false;
}
