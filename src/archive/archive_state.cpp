#include "archive/archive_state.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "archive/page_head.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/settings.h"
#include "core/split_lines.h"
#include "core/text_out.h"

namespace {

const char kFirstLine[] = "vorn_htm state 1";

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> f;
  std::size_t start = 0;
  for (;;) {
    std::size_t t = line.find('\t', start);
    f.push_back(line.substr(start, t == std::string::npos ? std::string::npos : t - start));
    if (t == std::string::npos) return f;
    start = t + 1;
  }
}

}  // namespace

std::uint64_t stable_hash(std::string_view data, std::uint64_t h) {
  for (unsigned char c : data) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string page_style(const Settings& s) {
  // Pages with links to their neighbours or with hidden addresses have a
  // style of their own; without them the style reads as it always did, so
  // that states and menu indexes of earlier versions still count.
  return body_tag(s) + "	" + font_size_tag(s) + "	" + s.REP_COL + (s.NAV_LNK ? "	nav" : "") +
         (s.ADR_HID ? "	ADR_HID" : "");
}

namespace {

// A "nav" line: "nav", the page, four links and, from this version on, the
// date, TAB separated. False for a line of another form.
bool read_nav_line(std::string_view line, ArchiveState& s) {
  std::string_view f[8];
  std::size_t count = 0;
  while (count < 8) {
    const std::size_t tab = line.find('\t');
    f[count++] = line.substr(0, tab);
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  if ((count != 6 && count != 7) || f[0] != "nav") return false;
  s.nav_dated = s.nav_dated && count == 7;
  NavRecord r;
  r.page = f[1];
  // The four links as they stand in the line, TABs included.
  r.links.assign(f[2].data(), f[5].data() + f[5].size() - f[2].data());
  if (count == 7) r.date = f[6];
  s.nav.push_back(std::move(r));
  return true;
}

}  // namespace

std::optional<ArchiveState> take_state(const std::string& folder) {
  const std::string path = join_path(folder, kStateFile.name);
  if (!is_regular_file(path)) return std::nullopt;
  std::optional<ArchiveState> state;
  try {
    const std::string text = read_file(path);
    remove_file(path);
    const std::vector<std::string_view> lines = split_line_views(text);
    if (lines.size() < 3 || lines[0] != kFirstLine) return std::nullopt;
    ArchiveState s;
    if (!lines[1].starts_with("style\t")) return std::nullopt;
    s.style = lines[1].substr(6);
    if (lines[2] != "lists\t1" && lines[2] != "lists\t0") return std::nullopt;
    s.lists = lines[2] == "lists\t1";
    s.nav.reserve(lines.size() - 3);
    for (std::size_t i = 3; i < lines.size(); ++i) {
      if (lines[i].starts_with("nav\t")) {
        if (!read_nav_line(lines[i], s)) return std::nullopt;
        continue;
      }
      std::vector<std::string> f = split_tabs(std::string(lines[i]));
      if (f.size() != 3 || f[0] != "thread" || f[2].empty() || f[2].size() > 16) return std::nullopt;
      std::size_t used = 0;
      s.threads[f[1]] = std::stoull(f[2], &used, 16);
      if (used != f[2].size()) return std::nullopt;
    }
    state = std::move(s);
  } catch (const std::exception&) {
    // An unreadable state is no state: every page is gone over.
    return std::nullopt;
  }
  return state;
}

void save_state(const std::string& folder, const ArchiveState& state) {
  TextOut out;
  out.line(kFirstLine);
  out.line("style\t" + state.style);
  out.line(state.lists ? "lists\t1" : "lists\t0");
  // In page order, so that the same archive always gives the same file.
  std::vector<std::pair<std::string, std::uint64_t>> threads(state.threads.begin(), state.threads.end());
  std::sort(threads.begin(), threads.end());
  char hex[32];
  for (const auto& [page, hash] : threads) {
    std::snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(hash));
    out.line("thread\t" + page + "\t" + hex);
  }
  for (const NavRecord& r : state.nav) {
    out.part("nav\t");
    out.part(r.page);
    out.part("\t");
    out.part(r.links);
    out.part("\t");
    out.line(r.date);
  }
  write_file_atomic(join_path(folder, kStateFile.name), out.data());
}
