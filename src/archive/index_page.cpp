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
    index.part(page_head(kTitle, TitleEnd::SameLine, nullptr));
    index.line((ws.set.FRM_KOU ? "<FRAMESET COLS=" : "<FRAMESET ROWS=") + share + "%,*>");
    index.line("    <FRAME SRC=\"" + std::string(kMenuFile.name) + "\" name=\"frame1\">");
    index.line("    <FRAME SRC=\"" + std::string(kPlaceholderFile.name) + "\" name=\"frame2\">");
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
