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
  // Pages with links to their neighbours have a style of their own; without
  // them the style reads as it always did, so that states and menu indexes
  // of earlier versions still count.
  return body_tag(s) + "\t" + font_size_tag(s) + "\t" + s.REP_COL + (s.NAV_LNK ? "\tnav" : "");
}

std::optional<ArchiveState> take_state(const std::string& folder) {
  const std::string path = join_path(folder, kStateFile.name);
  if (!is_regular_file(path)) return std::nullopt;
  std::optional<ArchiveState> state;
  try {
    std::vector<std::string> lines = read_lines(path);
    remove_file(path);
    if (lines.size() < 3 || lines[0] != kFirstLine) return std::nullopt;
    ArchiveState s;
    if (lines[1].rfind("style\t", 0) != 0) return std::nullopt;
    s.style = lines[1].substr(6);
    if (lines[2] != "lists\t1" && lines[2] != "lists\t0") return std::nullopt;
    s.lists = lines[2] == "lists\t1";
    for (std::size_t i = 3; i < lines.size(); ++i) {
      std::vector<std::string> f = split_tabs(lines[i]);
      if ((f.size() == 6 || f.size() == 7) && f[0] == "nav") {
        s.nav_dated = s.nav_dated && f.size() == 7;
        std::string date = f.size() == 7 ? std::move(f[6]) : std::string();
        s.nav.push_back({std::move(f[1]), f[2] + '\t' + f[3] + '\t' + f[4] + '\t' + f[5], std::move(date)});
        continue;
      }
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
  for (const NavRecord& r : state.nav) out.line("nav\t" + r.page + "\t" + r.links + "\t" + r.date);
  write_file_atomic(join_path(folder, kStateFile.name), out.data());
}
