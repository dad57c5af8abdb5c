// What a run writes into the output folder that no menu lists yet, recorded
// as it goes, so that a run which stops before its menu is written can have
// its pages and attachment files told from the archive's and removed: by
// itself when it stops on an error (a full disk), or by the next run into
// the folder when it was killed.
//
// The record is the hidden file kRunFile (archive_files.h), lines ended by
// LF:
//   vorn_htm run 1             the first line
//   first-page N               the run numbers its new pages from N on
//   file DEV INO BIRTH NAME    an attachment file the run created: its
//                              device, inode and time of birth (ns, 0 where
//                              the file system keeps none), its name in the
//                              folder
//   link PAGE NAME             the page PAGE (a page file name) links the
//                              attachment NAME (Shift_JIS, as Save_Attach
//                              gives the name back)
//   page PAGE                  the run writes the page PAGE of an earlier
//                              run again (a re-sent message takes it over),
//                              or the record of a stopped run named it so
//                              (or as its page the menu lists) and the
//                              search index may hold it as it was
// A NAME is written with "%", blanks and control characters as "%" and two
// hexadecimal digits.
//
// Each record goes to the file in one append. "first-page" is written before
// the run writes any page, "file" as soon as the file has been created and
// before its bytes are written, "link" and "page" before the page is written. A run
// killed at any point thus leaves a record of every page and file it made
// (only a file created the instant before the kill can go unrecorded, then
// empty); a last line cut short is no record. A file is known by its inode
// and its birth as well as by its name, so that a file made under that name
// by anyone else later (also on the inode the run's file had, once freed) is
// never taken for the run's. The record is removed when the run has
// ended and its menu lists what it wrote.
#pragma once

#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the record of a run says.
struct RunRecord {
  struct File {
    std::uint64_t device = 0, inode = 0;
    std::int64_t birth_ns = 0;  // 0: not known
    std::string name;           // in the folder
  };
  std::int64_t first_page = 0;
  std::vector<File> files;
  std::vector<std::pair<std::string, std::string>> links;  // page, attachment name
  std::vector<std::string> rewritten;                      // pages of earlier runs written again
};

class RunJournal {
 public:
  RunJournal() = default;
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // Starts the record of a run into folder that numbers its new pages from
  // first_page on, replacing any record there. With pages (taken over from
  // the record of a stopped run), the record is written whole with them and
  // renamed into place: the folder holds either record, never one without
  // them. Throws VbError.
  void start(const std::string& folder, std::int64_t first_page, const std::vector<std::string>& pages = {});
  // Whether start() made the record (a write that failed since ends it).
  bool started() const { return !path_.empty(); }
  std::int64_t first_page() const { return first_page_; }
  // The file name (in the folder) was just created by this run as fd.
  // Throws VbError when the record cannot be written.
  void created(std::string_view name, int fd);
  // The page (a page file name) links the attachment name (Shift_JIS, as
  // Save_Attach gave it back). Throws VbError.
  void linked(std::string_view page, std::string_view name);
  // The run is about to write the page (a page file name) of an earlier run
  // again. Throws VbError.
  void rewrites(std::string_view page);
  // Closes the record and removes it: the run's files are all listed.
  void remove();

 private:
  void append(const std::string& line);

  std::mutex mutex_;
  int fd_ = -1;
  std::exception_ptr broken_;
  std::string path_;
  std::int64_t first_page_ = 0;
};

// The record a run left in folder, nothing when there is none (or it is not
// one). Never throws.
std::optional<RunRecord> read_run_record(const std::string& folder);
// Removes the record a run left in folder; false when it stays.
bool remove_run_record(const std::string& folder);

// Whether path names the very file of the record (device, inode and, where
// both are known, birth), not followed through a link.
bool same_file(const std::string& path, const RunRecord::File& file);
