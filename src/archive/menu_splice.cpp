// The menu of an append run, made from the old menu and the threads that
// changed.
//
// The menu lists thread keys in order, and a key's first step names a
// message, so the menu is a sequence of blocks (keys with the same first
// step) ordered by the work_list order of that message. A thread the run did
// not change keeps its keys but for the numbering, which moves every number
// the same way, so its blocks are the old bytes in the old order. work_list
// holds exactly the messages of the changed threads and the new ones; their
// keys, threaded among themselves, give the new blocks, each of which goes
// before the first old block whose message comes after its own. Only the
// empty line before a root entry depends on the neighbours: it stands before
// every root but the menu's first.

#include "archive/menu_splice.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/menu_entry.h"
#include "archive/old_archive.h"
#include "codec/sjis_text.h"
#include "core/line_lists.h"
#include "core/vb_error.h"
#include "core/workspace.h"
#include "mail/header_fields.h"

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;
constexpr std::size_t kOldBlock = static_cast<std::size_t>(-1);

// A block drawn anew: its lines (no empty line before the first), and for
// each entry its message number and offset within text.
struct NewBlock {
  std::string text;
  std::size_t first_step = 0;
  bool root_first = false;
  std::vector<std::size_t> numbers;
  std::vector<std::uint64_t> offsets;
  std::vector<std::uint32_t> lengths;
  std::size_t before = 0;  // the old block it goes before
};

std::vector<NewBlock> Draw_Blocks(Workspace& ws) {
  std::vector<NewBlock> blocks;
  std::string entry;
  for (std::size_t k = 0; k < ws.syo_list.count(); ++k) {
    const ThreadLine t = Parse_Thread_Line(ws.syo_list.at(k));
    if (blocks.empty() || blocks.back().first_step != t.first_step) {
      blocks.emplace_back();
      blocks.back().first_step = t.first_step;
      blocks.back().root_first = t.depth == 0;
    }
    NewBlock& b = blocks.back();
    Menu_Entry(entry, Split_Work_Views(ws.work_list.at(t.number)), t.depth, ws.set);
    b.numbers.push_back(t.number);
    b.offsets.push_back(b.text.size());
    b.lengths.push_back(static_cast<std::uint32_t>(entry.size()));
    b.text += entry;
    b.text += "\r\n";
  }
  return blocks;
}

// For each new block, the first old block whose message comes after the new
// block's message in work_list order (the old blocks are in that order).
void Place_Blocks(Workspace& ws, const OldArchive& old, std::vector<NewBlock>& blocks) {
  using line_lists_detail::Entry;
  using line_lists_detail::Less;
  const std::span<const MenuBlock> olds = old.index().blocks;
  std::vector<std::optional<Entry>> lines(olds.size());
  const auto old_line = [&](std::size_t b) -> const Entry& {
    if (!lines[b]) lines[b].emplace(old.line(ws, olds[b].first_step), 0);
    return *lines[b];
  };
  std::size_t low_bound = 0;
  for (NewBlock& nb : blocks) {
    const Entry mine(ws.work_list.at(nb.first_step), 1);
    // New blocks come in work_list order too: search only after the last one.
    std::size_t lo = low_bound, hi = olds.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (Less()(old_line(mid), mine))
        lo = mid + 1;
      else
        hi = mid;
    }
    nb.before = low_bound = lo;
  }
}

}  // namespace

MenuIndex Write_Spliced(Workspace& ws, AtomicOut& out) {
  ws.syo_list.settle();
  ws.work_list.settle();
  const OldArchive& old = *ws.Old_Archive;
  const SavedMenuIndex& was = old.index();
  const std::size_t n = ws.work_list.count();

  std::vector<NewBlock> blocks = Draw_Blocks(ws);
  Place_Blocks(ws, old, blocks);
  const std::vector<std::uint32_t> thread = Thread_Numbers(ws.syo_list, n);

  // Threads of old blocks keep their numbers; new threads are numbered after
  // them. Numbers are made dense at the end.
  std::uint32_t next_thread = 0;
  for (const MenuRecord& r : was.records) next_thread = std::max(next_thread, r.thread + 1);

  MenuIndex index;
  index.records.reserve(was.records.size() + n);
  index.blocks.reserve(was.blocks.size() + blocks.size());
  std::vector<std::uint32_t> new_of_old(was.records.size(), kNone);
  std::vector<std::uint32_t> new_of_number(n, kNone);
  std::vector<std::size_t> new_first_steps;  // per block: the number of its message, or kOldBlock
  bool first_entry = true;

  const auto separate = [&](bool root_first) {
    if (root_first && !first_entry) out.end_line();
    first_entry = false;
  };
  const auto put_new = [&](const NewBlock& nb) {
    separate(nb.root_first);
    const std::uint64_t start = static_cast<std::uint64_t>(out.size());
    const std::uint32_t first = static_cast<std::uint32_t>(index.records.size());
    for (std::size_t e = 0; e < nb.numbers.size(); ++e) {
      const WorkFieldViews f = Split_Work_Views(ws.work_list.at(nb.numbers[e]));
      new_of_number[nb.numbers[e]] = static_cast<std::uint32_t>(index.records.size());
      index.records.push_back(MenuRecord{f.message_id.empty() ? 0 : Message_Id_Hash(f.message_id),
                                         sjis::trim(f.parent_id).empty() ? 0 : Message_Id_Hash(f.parent_id),
                                         start + nb.offsets[e], nb.lengths[e], next_thread + thread[nb.numbers[e]],
                                         e == 0 && nb.root_first ? 1u : 0u, Subject_Hash(f.subject, ws.set)});
    }
    out.part(nb.text);
    index.blocks.push_back(MenuBlock{start, static_cast<std::uint64_t>(out.size()), first,
                                     static_cast<std::uint32_t>(index.records.size()), kNone, nb.root_first ? 1u : 0u});
    new_first_steps.push_back(nb.first_step);
  };

  // A run of old blocks that follow one another, copied in one go.
  std::size_t run_from = 0, run_to = 0;  // old blocks [run_from, run_to)
  const auto flush_run = [&]() {
    if (run_from == run_to) return;
    separate(was.blocks[run_from].root_first != 0);
    const std::uint64_t from = was.blocks[run_from].start;
    const std::uint64_t to = was.blocks[run_to - 1].end;
    const std::int64_t shift = static_cast<std::int64_t>(out.size()) - static_cast<std::int64_t>(from);
    for (std::size_t b = run_from; b < run_to; ++b) {
      const MenuBlock& ob = was.blocks[b];
      const std::uint32_t first = static_cast<std::uint32_t>(index.records.size());
      for (std::uint32_t r = ob.first; r < ob.last; ++r) {
        MenuRecord rec = was.records[r];
        rec.offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(rec.offset) + shift);
        new_of_old[r] = static_cast<std::uint32_t>(index.records.size());
        index.records.push_back(rec);
      }
      index.blocks.push_back(MenuBlock{static_cast<std::uint64_t>(static_cast<std::int64_t>(ob.start) + shift),
                                       static_cast<std::uint64_t>(static_cast<std::int64_t>(ob.end) + shift), first,
                                       static_cast<std::uint32_t>(index.records.size()), ob.first_step, ob.root_first});
      new_first_steps.push_back(kOldBlock);
    }
    out.copy_from(old.menu_fd(), static_cast<long long>(from), static_cast<long long>(to - from));
    run_from = run_to;
  };

  std::size_t next_new = 0;
  for (std::size_t b = 0; b <= was.blocks.size(); ++b) {
    // New blocks that go before old block b.
    while (next_new < blocks.size() && blocks[next_new].before == b) {
      flush_run();
      put_new(blocks[next_new++]);
    }
    if (b == was.blocks.size()) break;
    const MenuBlock& ob = was.blocks[b];
    if (old.changed(was.records[ob.first].thread)) {
      flush_run();
      run_from = run_to = b + 1;
      continue;
    }
    if (run_from == run_to) run_from = b;
    run_to = b + 1;
  }
  flush_run();

  // The record each block's keys start with, now that all have theirs.
  for (std::size_t b = 0; b < index.blocks.size(); ++b) {
    MenuBlock& mb = index.blocks[b];
    const std::uint32_t r =
        new_first_steps[b] == kOldBlock ? new_of_old.at(mb.first_step) : new_of_number.at(new_first_steps[b]);
    if (r == kNone) throw VbError(5, "menu block without its first message");
    mb.first_step = r;
  }
  // Dense thread numbers, in order of first appearance.
  std::vector<std::uint32_t> dense(next_thread + (n == 0 ? 0 : *std::max_element(thread.begin(), thread.end()) + 1),
                                   kNone);
  std::uint32_t count = 0;
  for (MenuRecord& r : index.records) {
    if (dense[r.thread] == kNone) dense[r.thread] = count++;
    r.thread = dense[r.thread];
  }
  return index;
}
