// The files of the search index, folder "srch" of the archive, and the
// texts they hold. Every file the search page loads is ASCII JavaScript that
// hands its data to one global function of the page, so that the page works
// from disk (a page opened from file:// may load scripts, nothing else):
//
//   ix.js         vorn_ix({"v":2,"shards":S,"segs":[{"id":"0001","docs":N,
//                 "chunks":C,"gone":{"0000":"list",...}[,"chunk_docs":P]},
//                 ...]}), the manifest: the segments, oldest first. "gone"
//                 names docs of older segments that this one supersedes (a
//                 message replaced by a newer copy); "chunk_docs" is the
//                 number of docs a docs file of the segment holds, written
//                 when it is not 500.
//   ID_K.js       vorn_part("ID",K,{"token":"list",...}), the tokens of
//                 segment ID whose hash (FNV-1a, 32 bits, of the token's
//                 UTF-8 bytes) mod S is K, each with the docs holding it.
//                 A shard that holds no token is not written.
//   ID_dC.js      vorn_docs("ID",C,[[page,"key","date","subject","sender"],
//                 ...]), docs C*P to C*P+P-1 of segment ID.
//   ID_p.txt      the program's own: one line per doc, by page number,
//                 "PPPPPPP DDDDDDD HHHHHHHHHHHHHHHH" (page, doc, hash of what
//                 the doc holds), fixed width so that a page is found by
//                 binary search. The page never loads it.
//
// Docs of a segment are numbered from 0 in the order of their keys (the date
// made sortable), ties by page. A "list" of doc numbers, ascending, is
// written in the shorter of two spellings (gaps when they are as long):
//   gaps      in base 36 (0-9 a-z): the first number itself, each next one
//             as the difference from the one before, separated by ",";
//             "3,1,10" is 3, 4, 40. The empty list is "".
//   bitmap    "~", the first number in base 36, ".", then one character
//             for each six numbers after the first: the character's value
//             in "A-Z a-z 0-9 - _" (0 to 63) has bit 32 for first + 6k + 1
//             down to bit 1 for first + 6k + 6 (k counting characters from
//             0), set where the number is in the list. The last character
//             is not "A" (it holds the last number); "~3.w" is 3, 4, 5.
// A common word's list costs a sixth of a byte per doc as a bitmap against
// some two bytes as gaps. Version 1 of the manifest ("v":1) names an index
// whose lists are all gaps, which this version reads as they are; an index
// with "v":2 may hold either spelling. A reader of version 1 alone (an older
// program or page) refuses a "v":2 manifest and a bitmap list, and so finds
// nothing rather than wrong docs.
//
// Strings are JSON strings with every character outside printable ASCII
// written as \uXXXX (UTF-16, lower-case hex), so that one text has one
// spelling.
//
// The readers accept exactly what the writers write (whitespace aside) and
// throw VbError on anything else.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Docs per docs file unless the manifest says otherwise.
inline constexpr std::size_t kDocsPerChunk = 500;

// The version of the manifest this program writes; it reads 1 as well.
inline constexpr int kIndexVersion = 2;
// The first character of a list spelt as a bitmap.
inline constexpr char kBitmapMark = '~';

// A list of ascending doc numbers in the shorter spelling, and back (either
// spelling).
void put_doc_list(std::string& out, std::span<const std::uint32_t> docs);
std::vector<std::uint32_t> read_doc_list(std::string_view text);
// Each spelling alone.
void put_gaps(std::string& out, std::span<const std::uint32_t> docs);
void put_bitmap(std::string& out, std::span<const std::uint32_t> docs);
std::vector<std::uint32_t> read_gaps(std::string_view gaps);
std::vector<std::uint32_t> read_bitmap(std::string_view bitmap);

// A JSON string of UTF-8 text, quotes included.
void put_js_string(std::string& out, std::string_view utf8);

// The shard of a token among shards.
std::uint32_t shard_of(std::string_view token, std::uint32_t shards);
// The most shards an index has (a power of two).
constexpr std::uint32_t kMaxShards = 4096;

struct SegmentInfo {
  std::string id;
  std::uint32_t docs = 0;
  std::uint32_t chunks = 0;
  // Older segment -> its docs that this one supersedes (ascending).
  std::vector<std::pair<std::string, std::vector<std::uint32_t>>> gone;
  std::uint32_t chunk_docs = kDocsPerChunk;  // docs per docs file
};

struct SearchManifest {
  std::uint32_t shards = 0;
  std::vector<SegmentInfo> segs;  // oldest first
};

std::string manifest_text(const SearchManifest& m);
// Nothing when the text is not a manifest this program wrote.
std::optional<SearchManifest> parse_manifest(std::string_view text);

// One doc as the result list shows it; texts in UTF-8.
struct DocRow {
  std::uint32_t page = 0;
  std::string key, date, subject, sender;
  friend bool operator==(const DocRow&, const DocRow&) = default;
};
// The order of docs in a segment.
bool doc_before(const DocRow& a, const DocRow& b);

std::string docs_text(std::string_view id, std::uint32_t chunk, std::span<const DocRow> rows);
std::vector<DocRow> parse_docs(std::string_view text);

// A token (UTF-8) and its docs.
using Posting = std::pair<std::string, std::vector<std::uint32_t>>;
// The same, held elsewhere.
struct PostingView {
  std::string_view token;
  std::span<const std::uint32_t> docs;
};
// postings sorted by token.
std::string part_text(std::string_view id, std::uint32_t shard, std::span<const Posting> postings);
std::string part_text(std::string_view id, std::uint32_t shard, std::span<const PostingView> postings);
std::vector<Posting> parse_part(std::string_view text);

struct PageDoc {
  std::uint32_t page = 0;
  std::uint32_t doc = 0;
  std::uint64_t hash = 0;
};
// rows sorted by page.
std::string page_table_text(std::span<const PageDoc> rows);
// The same lines put at the end of out, for a table written in pieces.
void put_page_lines(std::string& out, std::span<const PageDoc> rows);
std::vector<PageDoc> parse_page_table(std::string_view text);
// The row of page in a table as page_table_text writes it, by binary search.
std::optional<PageDoc> find_page(std::string_view table, std::uint32_t page);

// File names inside the folder.
std::string part_name(std::string_view id, std::uint32_t shard);
std::string docs_name(std::string_view id, std::uint32_t chunk);
std::string page_table_name(std::string_view id);
// The segment a file name of the folder belongs to ("0001_3.js" -> "0001"),
// or empty for a name of no segment (the manifest's, a temporary file's).
std::string_view segment_of(std::string_view name);
