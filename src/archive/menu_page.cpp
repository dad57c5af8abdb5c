// menu.html: the message list drawn as a thread tree, one link per message,
// each with the hidden comment that lets a later run read the list back.

#include "archive/menu_page.h"

#include <algorithm>
#include <cstddef>
#include <future>
#include <string>
#include <string_view>

#include "archive/archive_records.h"
#include "archive/menu_entry.h"
#include "archive/menu_index.h"
#include "archive/menu_splice.h"
#include "archive/old_archive.h"
#include "archive/rank_page.h"
#include "archive/removed_messages.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

// The entries of the whole menu, rendered in rounds: a helper thread renders
// the second half of a round while this one renders the first, and both
// halves go out in order. The lists are settled first, so both threads only
// read. With notes, each entry's line length and hashes go into its index
// record (by its place in syo_list); index_whole fills in the rest.
void write_whole(Workspace& ws, AtomicOut& out, std::vector<MenuRecord>* notes) {
  const Settings& set = ws.set;
  const std::size_t n = ws.syo_list.count();
  ws.syo_list.settle();
  ws.work_list.settle();
  if (notes) notes->assign(n, MenuRecord{});
  const auto render = [&ws, &set, notes](std::size_t from, std::size_t to, TextOut& block) {
    block.clear();
    std::string entry;
    for (std::size_t k = from; k < to; ++k) {
      const ThreadLine t = ws.syo_list.at(k);
      const MessageRecord& f = ws.work_list.at(t.number);
      // An empty line before every thread but the first.
      if (t.depth == 0 && k > 0) block.end_line();
      menu_entry(entry, f, t.depth, set, is_removed(ws, f));
      block.line(entry);
      if (notes) {
        MenuRecord& r = (*notes)[k];
        r.length = static_cast<std::uint32_t>(entry.size());
        r.id_hash = f.message_id().empty() ? 0 : message_id_hash(f.message_id());
        r.parent_hash = sjis::trim(f.parent_id()).empty() ? 0 : message_id_hash(f.parent_id());
        r.subject = subject_hash(f.subject(), set);
      }
    }
  };
  // Small rounds keep the buffers in the cache, and the first round, whose
  // memory is fresh, short.
  constexpr std::size_t kRound = 2048;
  TextOut first, second;
  for (std::size_t from = 0; from < n; from += kRound) {
    ws.Syosai_no(static_cast<std::int64_t>(from), static_cast<std::int64_t>(n));
    const std::size_t to = std::min(n, from + kRound);
    const std::size_t mid = from + (to - from) / 2;
    std::future<void> helper;
    if (mid > from) helper = std::async(std::launch::async, [&] { render(mid, to, second); });
    try {
      render(from, mid, first);
    } catch (...) {
      if (helper.valid()) helper.wait();
      throw;
    }
    if (helper.valid())
      helper.get();
    else
      render(mid, to, second);
    out.part(first.data());
    out.part(second.data());
  }
}

// The index of a menu written whole from its first entry at offset start;
// records are the ones write_whole noted.
MenuIndex index_whole(Workspace& ws, std::vector<MenuRecord> records, std::uint64_t start) {
  const std::size_t n = ws.syo_list.count();
  MenuIndex index;
  index.records = std::move(records);
  const std::vector<std::uint32_t> thread = thread_numbers(ws.syo_list, ws.work_list.count());
  std::vector<std::uint32_t> record_of(ws.work_list.count(), 0);
  std::uint64_t pos = start;
  std::size_t previous_step = static_cast<std::size_t>(-1);
  for (std::size_t k = 0; k < n; ++k) {
    const ThreadLine t = ws.syo_list.at(k);
    if (t.depth == 0 && k > 0) pos += 2;
    if (k == 0 || t.first_step != previous_step) {
      if (!index.blocks.empty()) index.blocks.back().end = pos - (t.depth == 0 ? 2 : 0);
      // first_step holds the message number until its record is known.
      index.blocks.push_back(MenuBlock{pos, 0, static_cast<std::uint32_t>(k), 0,
                                       static_cast<std::uint32_t>(t.first_step), t.depth == 0 ? 1u : 0u});
      if (index.blocks.size() > 1) index.blocks[index.blocks.size() - 2].last = static_cast<std::uint32_t>(k);
      previous_step = t.first_step;
    }
    MenuRecord& r = index.records[k];
    r.offset = pos;
    r.thread = thread[t.number];
    r.root = t.depth == 0 ? 1u : 0u;
    record_of[t.number] = static_cast<std::uint32_t>(k);
    pos += r.length + 2;
  }
  if (!index.blocks.empty()) {
    index.blocks.back().end = pos;
    index.blocks.back().last = static_cast<std::uint32_t>(n);
  }
  for (MenuBlock& b : index.blocks) b.first_step = record_of.at(b.first_step);
  return index;
}

// The highest page number of the menu, as reading it back finds it.
std::int64_t highest_page(const Workspace& ws, std::int64_t known) {
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const std::string_view page = ws.work_list.at(i).page_name();
    known = std::max<std::int64_t>(known, sjis::parse_digits(sjis::mid(page, 1, 7)));
  }
  return known;
}

}  // namespace

bool Make_Menu(Workspace& ws, ArchiveRecords& records, const std::string& folder) {
  try {
    const Settings& set = ws.set;
    const std::size_t n = ws.syo_list.count();
    ws.Syosai_no(0, static_cast<std::int64_t>(n));
    records.New_Index.reset();
    // An index is kept only for menus it can describe: no Message-ID held by
    // two messages (a re-sent message replaces the earlier one, so only a
    // hand-made menu has such pairs). Thread lists need none of it: they are
    // drawn from the menu as written, and the archive state skips the
    // threads that did not change.
    const bool indexed = ws.Ids_Unique && n < 0xffffffffu;

    // Written beside the old list and renamed over it, so that a run that
    // stops half-way never leaves a cut-off list behind.
    AtomicOut out(join_path(folder, kMenuFile.name));
    menu_head(out, set);
    MenuIndex index;
    if (records.Old_Archive) {
      index = write_spliced(ws, *records.Old_Archive, out);
    } else {
      std::vector<MenuRecord> notes;
      const std::uint64_t start = static_cast<std::uint64_t>(out.size());
      write_whole(ws, out, indexed ? &notes : nullptr);
      if (indexed) index = index_whole(ws, std::move(notes), start);
    }
    menu_tail(out);
    out.commit();
    if (indexed) {
      index.settings = menu_settings_key(set);
      // Old entries keep their pages, and a message that replaced one took its page.
      index.mail_no = highest_page(ws, records.Old_Archive ? records.Old_Archive->index().mail_no : 0);
      index.ranked = set.ML_RANK;
      if (set.ML_RANK) index.senders = sender_counts(ws);
      records.New_Index = std::make_shared<MenuIndex>(std::move(index));
    }
    ws.Syosai_no(static_cast<std::int64_t>(n), static_cast<std::int64_t>(n));
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Make_Menu", e);
  } catch (...) {
    ws.report_error("Make_Menu", 5);
  }
  return false;
}
