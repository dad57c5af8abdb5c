// The search index of an archive: folder "srch" (search_files.h has its
// files) and the page "search.html" that reads it.
//
// A full build writes one segment of every message. An append writes one
// new segment of the messages it adds or changes (a message re-sent with
// other content supersedes its earlier doc, named in the new segment's
// "gone"; one re-sent unchanged is left as it is), then merges the newest
// segments while the older of the last two is less than twice the size of
// the newer, so that there are O(log n) segments and each doc is rewritten
// O(log n) times over the archive's life.
//
// The first run with the index on in an archive that has none yet (the
// setting was off, or an earlier version wrote the archive) reads every page
// the menu lists back from its file into that segment, once; later appends
// stay incremental. A manifest this program cannot read (another version's)
// counts as none: it and every file of a segment go before the new segment
// is written, so that no file of the old index passes for one of the new.
//
// A run writes its segment's files before its menu, and the manifest ix.js,
// atomically, only after the menu lists every page the segment names: the
// index never names a page that a stopped run's cleanup removes (the pages no
// menu lists) or whose number a later run gives to another message. A run
// stopped before its manifest leaves the old one, which names only complete
// files; files that no manifest names are what a stopped run left, removed by
// the next run (with the other leftovers). What the old manifest no longer
// matches are the pages of earlier runs the stopped run wrote again (a
// re-sent message) and, when its menu was written, its new pages: its record
// names both (run_journal.h), and the next run reads them back from their
// files (SearchCollector::read_back) into its own segment, whose docs
// supersede the stale ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/search_files.h"
#include "core/message_record.h"

class SearchCollector;
struct Workspace;

// Before a run changes anything else: the index goes when the setting is
// off, and when the folder holds no menu (a new archive, a rebuild), since
// it could only describe pages that are gone. Throws VbError.
void prepare_search_index(const std::string& folder, bool on);
// Removes the index and the search page, the manifest first. Throws VbError.
void remove_search_index(const std::string& folder);
// Removes every file of srch that the manifest does not name. Never throws.
void remove_search_leftovers(const std::string& folder);
// What write_search_index leaves to commit_search_index: the manifest and
// the files of the segments it no longer names.
struct SearchIndexUpdate {
  std::string dir;
  std::string manifest;  // empty: the manifest stays as it is
  std::vector<SegmentInfo> dropped;
  std::uint32_t dropped_shards = 0;
};
// Adds to c the pages the index reads back from disk (all that the menu
// lists when the folder holds no index yet, else those of stopped runs)
// and closes c's lists; gives the records of those pages. Before the
// threading, so that the tables that found the tokens are given back
// before the run's biggest step. Throws VbError.
std::vector<MessageRecord> close_search_lists(Workspace& ws, SearchCollector& c, const std::string& folder);
// Writes the files of a segment of the messages this run read (work_list's
// records of this run, with their tokens in c) and of the pages read back,
// with the search page; the manifest that names them is for
// commit_search_index. Throws VbError.
SearchIndexUpdate write_search_index(Workspace& ws, const SearchCollector& c, const std::string& folder,
                                     const std::vector<MessageRecord>& read_back);
// Writes the manifest (atomically), then removes the files of the segments
// that merges dropped. Throws VbError.
void commit_search_index(const SearchIndexUpdate& update);
// Takes the pages (numbers, as search_page_number gives them) out of the
// index for good: a segment of no docs that names their docs gone, and
// their rows in the doc chunks blanked, so that neither a query nor the
// files show what they held. Pages the index does not hold are left; an
// archive without an index is left as it is. Throws VbError.
void forget_search_pages(const std::string& folder, const std::vector<std::uint32_t>& pages);
