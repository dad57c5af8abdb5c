// The files of an archive that the program writes itself, in one list.
// From it follow the names an attachment may not take and the leftovers of
// stopped runs that a run clears from the folder. A new file of the archive
// is one constant here and its row in kArchiveFiles.
#pragma once

#include <string_view>

struct ArchiveFile {
  // The name in the output folder. "#" stands for any decimal digit, so that
  // one row covers a family of names (the message pages); every other
  // character stands for itself, letter case included.
  std::string_view name;
  // A run writes the file through a temporary file beside it and renames
  // that over it. Earlier versions named theirs "." + name + "." + six
  // letters or digits, and a run they did not finish may have left one.
  bool replaced_whole;
};

inline constexpr ArchiveFile kIndexFile{"index.html", true};           // the frameset the archive opens with
inline constexpr ArchiveFile kMenuFile{"menu.html", true};             // the list of messages
inline constexpr ArchiveFile kPlaceholderFile{"m0000000.txt", true};   // shown until a message is picked
inline constexpr ArchiveFile kRankFile{"rank_hyo.htm", true};          // senders ranked by message count
inline constexpr ArchiveFile kPageFiles{"m#######.htm", true};         // one page per message
inline constexpr ArchiveFile kStateFile{".vorn_htm.state", true};      // what the pages look like
inline constexpr ArchiveFile kMenuIndexFile{".vorn_htm.index", true};  // the menu read back, ready for an append
inline constexpr ArchiveFile kFeedFile{"feed.xml", true};              // Atom feed of the newest messages
inline constexpr ArchiveFile kSearchPage{"search.html", true};         // the search page, with the search index on
// The folder of the search index; its files are the index's own business
// (archive/search_files.h), so that no attachment can take its name.
inline constexpr ArchiveFile kSearchFolder{"srch", false};
// The Message-IDs of the messages taken out of the archive for good; kept by
// a rebuild (it deletes only files that are not hidden).
inline constexpr ArchiveFile kRemovedFile{".vorn_htm.removed", true};
// Locked while a run works in the folder; opened in place, never replaced,
// so that every run locks the same file.
inline constexpr ArchiveFile kLockFile{".vorn_htm.lock", false};
// What the run under way has written that no menu lists yet, appended to as
// it goes (core/run_journal.h).
inline constexpr ArchiveFile kRunFile{".vorn_htm.run", false};

inline constexpr ArchiveFile kArchiveFiles[] = {
    kIndexFile,  kMenuFile,    kPlaceholderFile, kRankFile, kPageFiles, kStateFile, kMenuIndexFile,
    kSearchPage, kRemovedFile, kSearchFolder,    kLockFile, kFeedFile,  kRunFile};

// Whether name is that of the row ("#" matching one digit).
bool matches(const ArchiveFile& file, std::string_view name);

// A message page's name: "m" + 7 digits + ".htm".
bool is_page_name(std::string_view name);

// Whether the archive writes a file of this name, so that an attachment may
// not take it.
bool is_archive_file(std::string_view name);

// Whether name is a temporary file that a run which did not end may have
// left: one of the file services' own (atomic_out.h), or one of an earlier
// version, "." + the name of a file replaced whole + "." + six letters or
// digits.
bool is_leftover(std::string_view name);
