// The search index of an archive: folder "srch" (search_files.h has its
// files) and the page "search.html" that reads it.
//
// A full build writes one segment of every message. An append writes one
// new segment of the messages it adds or changes (a message re-sent with
// other content supersedes its earlier doc, named in the new segment's
// "gone"; one re-sent unchanged is left as it is), then merges the newest
// segments while the older of the last two is less than twice the size of
// the newer, so that there are O(log n) segments and each doc is rewritten
// O(log n) times over the archive's life. The manifest ix.js is written last,
// atomically, and before the run writes its menu: a run stopped before it
// leaves the old manifest, which names only complete files; files that no
// manifest names are what a stopped run left, removed by the next run (with
// the other leftovers). A run stopped after it leaves an index of pages that
// were written before it, each found by the text it holds; the next run
// writes those page numbers again and supersedes their docs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
// Writes the messages this run read (work_list's records of this run, with
// their tokens in c) into the index, with the search page. Throws VbError.
void write_search_index(Workspace& ws, const SearchCollector& c, const std::string& folder);
// Takes the pages (numbers, as search_page_number gives them) out of the
// index for good: a segment of no docs that names their docs gone, and
// their rows in the doc chunks blanked, so that neither a query nor the
// files show what they held. Pages the index does not hold are left; an
// archive without an index is left as it is. Throws VbError.
void forget_search_pages(const std::string& folder, const std::vector<std::uint32_t>& pages);
