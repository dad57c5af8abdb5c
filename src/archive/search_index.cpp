#include "archive/search_index.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>

#include "archive/archive_state.h"
#include "archive/search_assets.h"
#include "archive/search_collect.h"
#include "archive/search_files.h"
#include "archive/search_pages.h"
#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/page_writer.h"
#include "core/vb_error.h"
#include "core/workspace.h"
#include "mail/header_fields.h"
#include "mail/mail_date.h"

namespace {

constexpr std::string_view kManifestName = "ix.js";
constexpr std::string_view kScriptName = "find.js";

std::string index_dir(const std::string& folder) { return join_path(folder, kSearchFolder.name); }

// Shards for an index of n docs: a power of two (so that a merge can split
// every shard into several), 16 to 4096, one for about 250 docs, so that
// the shard a query loads stays small (some 170 KB at a million docs).
std::uint32_t shards_for(std::size_t n) {
  std::uint32_t s = 16;
  while (s < 4096 && s * 256u < n) s *= 2;
  return s;
}

// Docs per docs file: a page that shows the newest hundred hits of a large
// segment loads a file for nearly every hit, so files are small there; a
// small segment keeps one file.
std::uint32_t chunk_docs_for(std::size_t n) { return n > kDocsPerChunk ? 64 : kDocsPerChunk; }

std::optional<SearchManifest> read_manifest(const std::string& dir) {
  const std::string path = join_path(dir, kManifestName);
  if (!is_regular_file(path)) return std::nullopt;
  return parse_manifest(read_file(path));
}

void unlink_quietly(const std::string& path) { ::unlink(path.c_str()); }

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view n = e->d_name;
    if (n != "." && n != "..") names.emplace_back(n);
  }
  ::closedir(d);
  return names;
}

// Removes the files of a segment that no manifest names any more.
void remove_segment_files(const std::string& dir, const SegmentInfo& seg, std::uint32_t shards) {
  for (std::uint32_t k = 0; k < shards; ++k) unlink_quietly(join_path(dir, part_name(seg.id, k)));
  for (std::uint32_t c = 0; c < seg.chunks; ++c) unlink_quietly(join_path(dir, docs_name(seg.id, c)));
  unlink_quietly(join_path(dir, page_table_name(seg.id)));
}

// Without a manifest this program reads (none, or one of another version)
// the index is made anew: the manifest goes first, then every file of a
// segment, so that no file of the old index stays to be taken for one of the
// new index's segments, which bear the same names.
void drop_unread_index(const std::string& dir) {
  unlink_quietly(join_path(dir, kManifestName));
  for (const std::string& n : names_in(dir))
    if (!segment_of(n).empty()) unlink_quietly(join_path(dir, n));
}

}  // namespace

void remove_search_index(const std::string& folder) {
  const std::string dir = index_dir(folder);
  if (is_directory(dir)) {
    // The manifest first: without it nothing else of the folder is found.
    unlink_quietly(join_path(dir, kManifestName));
    for (const std::string& n : names_in(dir)) remove_file(join_path(dir, n));
    if (::rmdir(dir.c_str()) != 0 && errno != ENOENT)
      throw VbError(vb_code_from_errno(errno), dir + ": " + error_reason(errno));
  }
  const std::string page = join_path(folder, kSearchPage.name);
  if (is_regular_file(page)) remove_file(page);
}

void prepare_search_index(const std::string& folder, bool on) {
  if (!on || !exists(join_path(folder, kMenuFile.name))) remove_search_index(folder);
}

void remove_search_leftovers(const std::string& folder) {
  const std::string dir = index_dir(folder);
  if (!is_directory(dir)) return;
  std::optional<SearchManifest> m;
  try {
    m = read_manifest(dir);
  } catch (const std::exception&) {
  }
  for (const std::string& n : names_in(dir)) {
    if (n == kManifestName || n == kScriptName) continue;
    const std::string_view seg = segment_of(n);
    const bool named = m && !seg.empty() &&
                       std::any_of(m->segs.begin(), m->segs.end(), [&](const SegmentInfo& s) { return s.id == seg; });
    if (!named) unlink_quietly(join_path(dir, n));
  }
}

namespace {

// The text as the page shows it: references read as their characters.
std::string utf8(std::string_view sjis) { return sjis_refs_to_utf8(sjis); }

// "yyyy-mm-dd hh:mm:ss" as "yyyymmddhhmmss"; a date of another form (the
// raw text of a date the reader could not read, or none) sorts first.
std::string sort_key(std::string_view date) {
  std::string key;
  if (date.size() != 19) return key;
  for (std::size_t k = 0; k < date.size(); ++k) {
    const bool digit_place = k != 4 && k != 7 && k != 10 && k != 13 && k != 16;
    if (digit_place != (date[k] >= '0' && date[k] <= '9')) return {};
    if (digit_place) key += date[k];
  }
  return key;
}

// A doc as the result list shows its message: the date and subject as the
// menu shows them, the whole sender. With ADR_HID the subject and sender
// hide their addresses as the pages do.
DocRow doc_row(const MessageRecord& r, std::uint32_t page, const Settings& set) {
  std::string subject(r.subject());
  subject = Del_Subj_Opt(subject, set.SBJ_KAK, set.SBJ_RES);
  std::string sender(sjis::trim(r.sender_unquoted()));
  if (set.ADR_HID) {
    subject = hide_addresses(subject);
    sender = hide_addresses(sender);
  }
  return DocRow{page, sort_key(r.date()), utf8(render_date(std::string(r.date()), set.DAT_FMT)), utf8(subject),
                utf8(sender)};
}

// A doc of this run. Its row is made again from the record when the docs
// are written: a million rows held until then would take hundreds of MB.
struct NewDoc {
  const MessageRecord* record;
  std::uint64_t key;  // the row's key as a number plus one; 0 for none
  std::uint32_t page, entry;
  std::uint64_t hash;  // of the row and the tokens
};

// The doc of record r, whose page's tokens are c's entry.
NewDoc new_doc(const MessageRecord& r, std::uint32_t page, std::uint32_t entry, const SearchCollector& c,
               const Settings& set) {
  const DocRow row = doc_row(r, page, set);
  std::uint64_t h = c.entry_hash(entry);
  for (const std::string* s : {&row.key, &row.date, &row.subject, &row.sender})
    h = stable_hash(std::string_view(s->data(), s->size() + 1), h);
  std::uint64_t key = 0;
  for (const char k : row.key) key = key * 10 + static_cast<std::uint64_t>(k - '0');
  return NewDoc{&r, row.key.empty() ? 0 : key + 1, page, entry, h};
}

// The order of docs in a segment (that of doc_before on their rows).
bool new_doc_before(const NewDoc& a, const NewDoc& b) { return a.key != b.key ? a.key < b.key : a.page < b.page; }

// The docs of this run: every message read by it whose tokens were
// gathered, one per page, and the pages read back from their files.
std::vector<NewDoc> new_docs(Workspace& ws, const SearchCollector& c, const std::vector<MessageRecord>& read_back) {
  struct Picked {
    const MessageRecord* record;
    std::uint32_t page, entry;
  };
  std::vector<Picked> picked;
  std::vector<char> seen(c.entries(), 0);
  const auto pick = [&](const MessageRecord& r) {
    const std::uint32_t page = search_page_number(r.page_name());
    const std::int64_t entry = page == 0 ? -1 : c.entry_of(page);
    if (entry < 0 || seen[static_cast<std::size_t>(entry)]) return;
    seen[static_cast<std::size_t>(entry)] = 1;
    picked.push_back({&r, page, static_cast<std::uint32_t>(entry)});
  };
  ws.work_list.settle();
  for (std::size_t i = 0; i < ws.work_list.count(); ++i)
    if (ws.work_list.at(i).from_this_run()) pick(ws.work_list.at(i));
  for (const MessageRecord& r : read_back) pick(r);
  // Each doc's row is made to be hashed: most of a second at a million
  // docs, so on two threads where they are many.
  std::vector<NewDoc> docs(picked.size());
  const auto make = [&](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k)
      docs[k] = new_doc(*picked[k].record, picked[k].page, picked[k].entry, c, ws.set);
  };
  const std::size_t mid = picked.size() < 64 ? picked.size() : picked.size() / 2;
  std::future<void> rest;
  if (mid < picked.size()) rest = std::async(std::launch::async, make, mid, picked.size());
  make(0, mid);
  if (rest.valid()) rest.get();
  return docs;
}

// For each segment, its docs that later segments supersede, ascending.
std::vector<std::vector<std::uint32_t>> gone_docs(const SearchManifest& m) {
  std::map<std::string, std::size_t> at;
  for (std::size_t s = 0; s < m.segs.size(); ++s) at[m.segs[s].id] = s;
  std::vector<std::vector<std::uint32_t>> gone(m.segs.size());
  for (const SegmentInfo& s : m.segs)
    for (const auto& [older, docs] : s.gone)
      if (auto it = at.find(older); it != at.end())
        gone[it->second].insert(gone[it->second].end(), docs.begin(), docs.end());
  for (auto& g : gone) std::sort(g.begin(), g.end());
  return gone;
}

// Drops the docs whose page holds the same content in the index already,
// and notes in seg.gone the older docs of the pages of the others.
void supersede(const std::string& dir, const SearchManifest& m, std::vector<NewDoc>& docs, SegmentInfo& seg) {
  const std::vector<std::vector<std::uint32_t>> gone = gone_docs(m);
  std::vector<std::unique_ptr<MappedFile>> tables(m.segs.size());
  std::vector<std::vector<std::uint32_t>> superseded(m.segs.size());
  std::erase_if(docs, [&](const NewDoc& d) {
    bool unchanged = false;
    for (std::size_t s = m.segs.size(); s-- > 0;) {
      if (!tables[s]) tables[s] = std::make_unique<MappedFile>(join_path(dir, page_table_name(m.segs[s].id)), false);
      const std::optional<PageDoc> p = find_page(tables[s]->data(), d.page);
      if (!p || std::binary_search(gone[s].begin(), gone[s].end(), p->doc)) continue;
      if (p->hash == d.hash)
        unchanged = true;
      else
        superseded[s].push_back(p->doc);
      break;
    }
    return unchanged;
  });
  for (std::size_t s = 0; s < m.segs.size(); ++s) {
    if (superseded[s].empty()) continue;
    std::sort(superseded[s].begin(), superseded[s].end());
    seg.gone.emplace_back(m.segs[s].id, std::move(superseded[s]));
  }
}

// The rows of docs from .. from + n - 1, valid until the next call.
using RowsOf = std::function<std::span<const DocRow>(std::size_t from, std::size_t n)>;

// The docs files and the page table of a segment whose doc k is pages[k]
// (its page and hash), its rows given chunk by chunk by rows_of.
void write_docs(const std::string& dir, SegmentInfo& seg, std::vector<PageDoc> pages, const RowsOf& rows_of) {
  seg.docs = static_cast<std::uint32_t>(pages.size());
  seg.chunk_docs = chunk_docs_for(pages.size());
  seg.chunks = static_cast<std::uint32_t>((pages.size() + seg.chunk_docs - 1) / seg.chunk_docs);
  for (std::uint32_t c = 0; c < seg.chunks; ++c) {
    const std::size_t from = std::size_t{c} * seg.chunk_docs;
    const std::size_t n = std::min<std::size_t>(seg.chunk_docs, pages.size() - from);
    write_file(join_path(dir, docs_name(seg.id, c)), docs_text(seg.id, c, rows_of(from, n)));
  }
  std::sort(pages.begin(), pages.end(), [](const PageDoc& a, const PageDoc& b) { return a.page < b.page; });
  // In pieces: at a million docs the table is some 33 MB.
  constexpr std::size_t kLinesAPiece = 4096;
  std::string piece;
  std::size_t at = 0;
  write_file_pieces(join_path(dir, page_table_name(seg.id)), [&] {
    const std::size_t n = std::min(kLinesAPiece, pages.size() - at);
    piece.clear();
    put_page_lines(piece, std::span(pages).subspan(at, n));
    at += n;
    return std::string_view(piece);
  });
}

void write_docs(const std::string& dir, SegmentInfo& seg, const std::vector<DocRow>& rows,
                const std::vector<std::uint64_t>& hashes) {
  std::vector<PageDoc> pages(rows.size());
  for (std::size_t k = 0; k < rows.size(); ++k)
    pages[k] = PageDoc{rows[k].page, static_cast<std::uint32_t>(k), hashes[k]};
  write_docs(dir, seg, std::move(pages),
             [&](std::size_t from, std::size_t n) { return std::span(rows).subspan(from, n); });
}

void write_part(const std::string& dir, std::string_view id, std::uint32_t k, std::vector<Posting>& postings) {
  if (postings.empty()) return;
  std::sort(postings.begin(), postings.end(), [](const Posting& a, const Posting& b) { return a.first < b.first; });
  write_file(join_path(dir, part_name(id, k)), part_text(id, k, postings));
}

// Sorts doc numbers below bits.size() * 64 and drops the doubles; gives
// how many are left at the front of list. Through a bitmap where they are
// many (a common word's list), else by comparing. bits is all zero before
// and after.
std::size_t sort_docs(std::span<std::uint32_t> list, std::vector<std::uint64_t>& bits) {
  if (!std::is_sorted(list.begin(), list.end())) {
    if (list.size() * 8 < bits.size()) {
      std::sort(list.begin(), list.end());
    } else {
      for (const std::uint32_t d : list) bits[d >> 6] |= std::uint64_t{1} << (d & 63);
      std::size_t n = 0;
      for (std::size_t w = 0; w < bits.size(); ++w)
        for (; bits[w] != 0; bits[w] &= bits[w] - 1)
          list[n++] = static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits[w])));
      return n;
    }
  }
  return static_cast<std::size_t>(std::unique(list.begin(), list.end()) - list.begin());
}

// The docs files and page table of this run's docs, in doc order.
void write_new_docs(const std::string& dir, SegmentInfo& seg, const std::vector<NewDoc>& docs, const Settings& set) {
  std::vector<PageDoc> pages(docs.size());
  for (std::size_t k = 0; k < docs.size(); ++k)
    pages[k] = PageDoc{docs[k].page, static_cast<std::uint32_t>(k), docs[k].hash};
  std::vector<DocRow> rows;
  write_docs(dir, seg, std::move(pages), [&](std::size_t from, std::size_t n) {
    rows.clear();
    for (std::size_t k = from; k < from + n; ++k) rows.push_back(doc_row(*docs[k].record, docs[k].page, set));
    return std::span<const DocRow>(rows);
  });
}

// The doc lists of one shard's tokens, one after another in docs.
struct ShardLists {
  struct Piece {
    std::string_view token;
    std::size_t from, size;
  };
  std::vector<Piece> pieces;
  std::vector<std::uint32_t> docs;
};

void write_part(const std::string& dir, std::string_view id, std::uint32_t k, ShardLists& lists) {
  if (lists.pieces.empty()) return;
  std::sort(lists.pieces.begin(), lists.pieces.end(),
            [](const ShardLists::Piece& a, const ShardLists::Piece& b) { return a.token < b.token; });
  std::vector<PostingView> postings;
  postings.reserve(lists.pieces.size());
  for (const ShardLists::Piece& p : lists.pieces)
    postings.push_back({p.token, std::span(lists.docs).subspan(p.from, p.size)});
  write_file(join_path(dir, part_name(id, k)), part_text(id, k, postings));
}

// The segment of this run's docs (seg.gone already noted): the entry lists
// read here into doc lists a shard at a time, each shard's part written on a
// second thread meanwhile, and the docs on a third.
void write_new_segment(const std::string& dir, SegmentInfo& seg, std::vector<NewDoc>& docs, const SearchCollector& c,
                       std::uint32_t shards, Workspace& ws) {
  std::sort(docs.begin(), docs.end(), new_doc_before);
  std::future<void> docs_written = std::async(std::launch::async, [&] { write_new_docs(dir, seg, docs, ws.set); });
  PageWriter parts_out;
  const auto hand_over = [&](std::uint32_t k, ShardLists& lists) {
    if (lists.pieces.empty()) return;
    // What the lists hold, so that no more than the writer's few megabytes wait.
    const std::size_t bytes =
        lists.docs.capacity() * sizeof(std::uint32_t) + lists.pieces.capacity() * sizeof(ShardLists::Piece);
    const std::size_t room = lists.docs.size();
    parts_out.run([&dir, id = seg.id, k, lists = std::move(lists)]() mutable { write_part(dir, id, k, lists); }, bytes);
    lists = ShardLists{};
    lists.docs.reserve(room);
  };
  constexpr std::uint32_t kNoDoc = 0xffffffffu;  // docs are fewer than entries
  std::vector<std::uint32_t> doc_of(c.entries(), kNoDoc);
  for (std::size_t k = 0; k < docs.size(); ++k) doc_of[docs[k].entry] = static_cast<std::uint32_t>(k);
  std::vector<std::uint64_t> bits((docs.size() + 63) / 64);
  // The tokens come a shard after another, so a shard's part goes as soon
  // as the next one starts; for a number of shards they do not group (an
  // index of an unknown writer's), every part waits for the end.
  const bool grouped = shards <= kMaxShards && std::has_single_bit(shards);
  std::vector<ShardLists> parts(grouped ? 1 : shards);
  std::uint32_t held = 0;  // the shard of parts[0] when grouped
  const std::vector<std::uint32_t> order = c.tokens_in_order();
  const auto tokens = static_cast<std::int64_t>(order.size());
  for (std::int64_t i = 0; i < tokens; ++i) {
    // At a million messages this step takes seconds.
    if (i % 4096 == 0) ws.Syosai_no(i, tokens);
    const std::uint32_t t = order[static_cast<std::size_t>(i)];
    const std::uint32_t k = shard_of(c.token(t), shards);
    if (grouped && k != held) {
      hand_over(held, parts[0]);
      held = k;
    }
    ShardLists& lists = parts[grouped ? 0 : k];
    const std::size_t from = lists.docs.size();
    c.for_each_entry(t, [&](std::uint32_t e) {
      if (doc_of[e] != kNoDoc) lists.docs.push_back(doc_of[e]);
    });
    if (lists.docs.size() == from) continue;
    const std::size_t size = sort_docs(std::span(lists.docs).subspan(from), bits);
    lists.docs.resize(from + size);
    lists.pieces.push_back({c.token(t), from, size});
  }
  for (std::uint32_t k = 0; k < parts.size(); ++k) hand_over(grouped ? held : k, parts[k]);
  if (!c.lists_read()) throw VbError(57, "search index: entry lists left unread");
  parts_out.finish();
  docs_written.get();
  ws.Syosai_no(tokens, tokens);
}

}  // namespace

namespace {

// A segment read back for a merge: its rows and hashes by doc, and which of
// its docs the merge leaves out.
struct LoadedSegment {
  const SegmentInfo* info;
  std::vector<DocRow> rows;
  std::vector<std::uint64_t> hash;
  std::vector<char> dead;
  std::vector<std::uint32_t> renumbered;  // old doc -> doc of the merged segment
};

LoadedSegment load_segment(const std::string& dir, const SegmentInfo& seg) {
  LoadedSegment l{&seg, {}, {}, {}, {}};
  for (std::uint32_t c = 0; c < seg.chunks; ++c) {
    std::vector<DocRow> rows = parse_docs(read_file(join_path(dir, docs_name(seg.id, c))));
    std::move(rows.begin(), rows.end(), std::back_inserter(l.rows));
  }
  if (l.rows.size() != seg.docs) throw VbError(5, dir + ": " + seg.id + " の文書数が違います (search index damaged)");
  l.hash.assign(seg.docs, 0);
  for (const PageDoc& p : parse_page_table(read_file(join_path(dir, page_table_name(seg.id)))))
    if (p.doc < seg.docs) l.hash[p.doc] = p.hash;
  l.dead.assign(seg.docs, 0);
  l.renumbered.assign(seg.docs, 0);
  return l;
}

// The gone lists of a and b together, but those naming a (the merge applies them).
std::vector<std::pair<std::string, std::vector<std::uint32_t>>> merged_gone(const SegmentInfo& a,
                                                                            const SegmentInfo& b) {
  std::map<std::string, std::vector<std::uint32_t>> all;
  for (const SegmentInfo* s : {&a, &b})
    for (const auto& [older, docs] : s->gone)
      if (older != a.id) all[older].insert(all[older].end(), docs.begin(), docs.end());
  std::vector<std::pair<std::string, std::vector<std::uint32_t>>> out;
  for (auto& [older, docs] : all) {
    std::sort(docs.begin(), docs.end());
    docs.erase(std::unique(docs.begin(), docs.end()), docs.end());
    out.emplace_back(older, std::move(docs));
  }
  return out;
}

// Numbers the live docs of a and b in doc order; their rows and hashes.
void renumber(LoadedSegment& a, LoadedSegment& b, std::vector<DocRow>& rows, std::vector<std::uint64_t>& hashes) {
  for (const auto& [older, docs] : b.info->gone)
    if (older == a.info->id)
      for (const std::uint32_t d : docs)
        if (d < a.dead.size()) a.dead[d] = 1;
  std::vector<std::pair<LoadedSegment*, std::uint32_t>> live;
  for (LoadedSegment* s : {&a, &b})
    for (std::uint32_t d = 0; d < s->rows.size(); ++d)
      if (!s->dead[d]) live.emplace_back(s, d);
  std::stable_sort(live.begin(), live.end(), [](const auto& x, const auto& y) {
    return doc_before(x.first->rows[x.second], y.first->rows[y.second]);
  });
  for (std::size_t k = 0; k < live.size(); ++k) {
    auto [s, d] = live[k];
    s->renumbered[d] = static_cast<std::uint32_t>(k);
    rows.push_back(std::move(s->rows[d]));
    hashes.push_back(s->hash[d]);
  }
}

// The postings of old shard k of a and b, renumbered, split among the new
// shards k, k + old_shards, ... and written.
void merge_shard(const std::string& dir, const std::string& id, std::uint32_t k, std::uint32_t old_shards,
                 std::uint32_t new_shards, const LoadedSegment& a, const LoadedSegment& b) {
  std::map<std::string, std::vector<std::uint32_t>> merged;
  for (const LoadedSegment* s : {&a, &b}) {
    const std::string path = join_path(dir, part_name(s->info->id, k));
    if (!is_regular_file(path)) continue;
    for (Posting& p : parse_part(read_file(path))) {
      std::vector<std::uint32_t>& list = merged[p.first];
      for (const std::uint32_t d : p.second)
        if (d < s->dead.size() && !s->dead[d]) list.push_back(s->renumbered[d]);
    }
  }
  std::vector<std::vector<Posting>> out(new_shards / old_shards);
  for (auto& [token, list] : merged) {
    if (list.empty()) continue;
    std::sort(list.begin(), list.end());
    out[shard_of(token, new_shards) / old_shards].emplace_back(token, std::move(list));
  }
  for (std::uint32_t j = 0; j < out.size(); ++j) write_part(dir, id, k + j * old_shards, out[j]);
}

// One segment of a and b (b the newer), with the id given.
SegmentInfo merge_two(const std::string& dir, const SegmentInfo& a, const SegmentInfo& b, std::string id,
                      std::uint32_t old_shards, std::uint32_t new_shards) {
  LoadedSegment la = load_segment(dir, a), lb = load_segment(dir, b);
  SegmentInfo seg;
  seg.id = std::move(id);
  seg.gone = merged_gone(a, b);
  std::vector<DocRow> rows;
  std::vector<std::uint64_t> hashes;
  renumber(la, lb, rows, hashes);
  for (std::uint32_t k = 0; k < old_shards; ++k) merge_shard(dir, seg.id, k, old_shards, new_shards, la, lb);
  write_docs(dir, seg, rows, hashes);
  return seg;
}

std::string segment_id(unsigned n) {
  std::string id = std::to_string(n);
  return std::string(id.size() < 4 ? 4 - id.size() : 0, '0') + id;
}

unsigned next_number(const SearchManifest& m) {
  unsigned n = 0;
  for (const SegmentInfo& s : m.segs) n = std::max(n, static_cast<unsigned>(std::stoul(s.id)));
  return n + 1;
}

// Merges the newest segments while the older of the last two is less than
// twice the newer; a merge of the whole index takes the shards its size
// asks for. The segments merged away are added to dropped.
void merge_newest(const std::string& dir, SearchManifest& m, std::vector<SegmentInfo>& dropped,
                  std::uint32_t& shards_of_dropped) {
  while (m.segs.size() >= 2 && m.segs[m.segs.size() - 2].docs < 2ull * m.segs.back().docs) {
    const SegmentInfo b = m.segs.back();
    const SegmentInfo a = m.segs[m.segs.size() - 2];
    const std::uint32_t shards = m.segs.size() == 2 ? std::max(m.shards, shards_for(a.docs + b.docs)) : m.shards;
    SegmentInfo merged = merge_two(dir, a, b, segment_id(next_number(m)), m.shards, shards);
    m.segs.resize(m.segs.size() - 2);
    dropped.push_back(a);
    dropped.push_back(b);
    shards_of_dropped = m.shards;
    m.shards = shards;
    if (merged.docs > 0 || !merged.gone.empty()) m.segs.push_back(std::move(merged));
  }
}

// The search page, in the archive's colours, and its script, as this
// version writes them.
void write_search_page(const Settings& set, const std::string& folder, const std::string& dir) {
  write_file_atomic(join_path(folder, kSearchPage.name), search_page(set));
  write_file_atomic(join_path(dir, kScriptName), search_script());
}

}  // namespace

std::vector<MessageRecord> close_search_lists(Workspace& ws, SearchCollector& c, const std::string& folder) {
  const std::string dir = index_dir(folder);
  // Without an index the archive's earlier messages are read back from
  // their pages (the menu is still the one the run found).
  std::vector<MessageRecord> read_back;
  if (!is_directory(dir) || !read_manifest(dir))
    read_back = add_written_pages(ws, c, folder, std::nullopt);
  else
    read_back = add_written_pages(ws, c, folder, std::span(c.pages_to_read_back()));
  c.settle();
  return read_back;
}

SearchIndexUpdate write_search_index(Workspace& ws, const SearchCollector& c, const std::string& folder,
                                     const std::vector<MessageRecord>& read_back) {
  const std::string dir = index_dir(folder);
  if (!is_directory(dir)) make_directory(dir);
  std::optional<SearchManifest> old = read_manifest(dir);
  if (!old) drop_unread_index(dir);
  std::vector<NewDoc> docs = new_docs(ws, c, read_back);
  SearchManifest m = old ? *old : SearchManifest{shards_for(docs.size()), {}};
  SegmentInfo seg;
  seg.id = segment_id(next_number(m));
  supersede(dir, m, docs, seg);
  SearchIndexUpdate update;
  update.dir = dir;
  update.dropped_shards = m.shards;
  if (!docs.empty()) {
    write_new_segment(dir, seg, docs, c, m.shards, ws);
    m.segs.push_back(std::move(seg));
    merge_newest(dir, m, update.dropped, update.dropped_shards);
  }
  write_search_page(ws.set, folder, dir);
  if (!old || !update.dropped.empty() || !docs.empty()) update.manifest = manifest_text(m);
  update.dropped_shards = std::max(update.dropped_shards, m.shards);
  return update;
}

void commit_search_index(const SearchIndexUpdate& update) {
  if (!update.manifest.empty()) write_file_atomic(join_path(update.dir, kManifestName), update.manifest);
  for (const SegmentInfo& s : update.dropped) remove_segment_files(update.dir, s, update.dropped_shards);
}

namespace {

// The docs of pages in each segment (by the segments' page tables), and
// which of them are live: the newest doc of a page, unless a later segment
// names it gone.
struct PageDocs {
  std::map<std::size_t, std::vector<std::uint32_t>> held, live;
};
PageDocs docs_of_pages(const std::string& dir, const SearchManifest& m, const std::vector<std::uint32_t>& pages) {
  const std::vector<std::vector<std::uint32_t>> gone = gone_docs(m);
  PageDocs d;
  for (std::size_t s = 0; s < m.segs.size(); ++s) {
    const MappedFile table(join_path(dir, page_table_name(m.segs[s].id)), false);
    for (const std::uint32_t page : pages)
      if (const std::optional<PageDoc> p = find_page(table.data(), page)) d.held[s].push_back(p->doc);
  }
  for (const std::uint32_t page : pages) {
    for (std::size_t s = m.segs.size(); s-- > 0;) {
      const MappedFile table(join_path(dir, page_table_name(m.segs[s].id)), false);
      const std::optional<PageDoc> p = find_page(table.data(), page);
      if (!p) continue;
      if (!std::binary_search(gone[s].begin(), gone[s].end(), p->doc)) d.live[s].push_back(p->doc);
      break;
    }
  }
  for (auto* by_seg : {&d.held, &d.live})
    for (auto& [s, docs] : *by_seg) std::sort(docs.begin(), docs.end());
  return d;
}

// Rewrites the doc chunks of seg that hold docs with something left in
// their rows, each of those rows with nothing left but its place.
void blank_rows(const std::string& dir, const SegmentInfo& seg, const std::vector<std::uint32_t>& docs) {
  std::map<std::uint32_t, std::vector<std::uint32_t>> by_chunk;
  for (const std::uint32_t d : docs) by_chunk[static_cast<std::uint32_t>(d / seg.chunk_docs)].push_back(d);
  for (const auto& [chunk, in_chunk] : by_chunk) {
    const std::string path = join_path(dir, docs_name(seg.id, chunk));
    if (!is_regular_file(path)) continue;
    std::vector<DocRow> rows = parse_docs(read_file(path));
    bool changed = false;
    for (const std::uint32_t d : in_chunk) {
      const std::size_t k = d - std::size_t{chunk} * seg.chunk_docs;
      if (k >= rows.size() || rows[k] == DocRow{}) continue;
      rows[k] = DocRow{};
      changed = true;
    }
    if (changed) write_file_atomic(path, docs_text(seg.id, chunk, rows));
  }
}

}  // namespace

void forget_search_pages(const std::string& folder, const std::vector<std::uint32_t>& pages) {
  const std::string dir = index_dir(folder);
  std::optional<SearchManifest> m = read_manifest(dir);
  if (!m) return;
  const PageDocs docs = docs_of_pages(dir, *m, pages);
  // Gone first, then the rows of every copy blanked: a removal stopped in
  // between leaves rows that no query lists, and its rerun blanks them.
  if (!docs.live.empty()) {
    SegmentInfo seg;
    seg.id = segment_id(next_number(*m));
    for (const auto& [s, live] : docs.live) seg.gone.emplace_back(m->segs[s].id, live);
    write_file(join_path(dir, page_table_name(seg.id)), page_table_text({}));
    m->segs.push_back(std::move(seg));
    write_file_atomic(join_path(dir, kManifestName), manifest_text(*m));
  }
  for (const auto& [s, held] : docs.held) blank_rows(dir, m->segs[s], held);
}
