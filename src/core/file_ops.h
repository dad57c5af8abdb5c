// File services of the run, and the error every step reports.
//
// A failing operation throws VbError with the numeric code the step shows in
// its message: 5 invalid argument, 6 overflow, 9 index out of range,
// 53 file not found, 57 device I/O error, 61 disk full, 70 permission denied,
// 75 path/file access error, 76 path not found.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct VbError : std::runtime_error {
  VbError(int number, const std::string& what) : std::runtime_error(what), number(number) {}
  int number;
};

// The code a step shows for a caught exception: a VbError's own number,
// 9 for an index out of range, 7 for memory exhausted, 5 for anything else.
int vb_error_number(const std::exception& e);

// Maps an errno value to the codes above.
int vb_code_from_errno(int err);
// The reason an errno value gives, for a person: Japanese where we have the
// words, followed by the system's own text ("ディスクの空きがありません (No
// space left on device)").
std::string error_reason(int err);
// What a caught exception tells a person: a VbError's text (the file and the
// reason), and a plain word for the rest.
std::string error_text(const std::exception& e);

// "dir" + "/" + "name".
std::string join_path(std::string_view dir, std::string_view name);

// Reads a whole text file and splits it into lines. A line ends at CR LF, at
// a lone CR or at a lone LF; the terminator is not part of the line, and a
// final terminator does not start another line.
std::vector<std::string> read_lines(const std::string& path);
// Splits text into lines by the same rule.
std::vector<std::string> split_lines(std::string_view text);
// The same lines as views into data; all_crlf, when given, tells whether
// every line ends in CR LF (so a run of them can be copied as it stands).
std::vector<std::string_view> split_line_views(std::string_view data, bool* all_crlf = nullptr);
// Reads a whole file as bytes.
std::string read_file(const std::string& path);
// The file's size in bytes.
long long file_size(const std::string& path);

// Collects lines, each ended by CR LF, and writes them in one go.
class TextOut {
 public:
  void line(std::string_view s) {
    buf_.append(s);
    buf_.append("\r\n");
  }
  void part(std::string_view s) { buf_.append(s); }
  void end_line() { buf_.append("\r\n"); }
  const std::string& data() const { return buf_; }
  std::string take() { return std::move(buf_); }
  void clear() { buf_.clear(); }

 private:
  std::string buf_;
};

// Temporary files are named kTempPrefix + the final name + "." + six random
// letters or digits. The name is hidden, and no attachment is saved under a
// name that starts with "."; so a name of this shape is always one of ours.
inline constexpr std::string_view kTempPrefix = ".vorn_htm~";
bool is_temp_name(std::string_view name);
// Whether name ends in "." and six letters or digits, as mkstemp makes them.
bool has_temp_suffix(std::string_view name);
// How many temporary files of this process exist now: made and neither
// renamed into place nor removed yet.
int live_temp_files();

// A file written in pieces beside path and renamed over it by commit(), so
// that readers see either the old or the new file whole. Lines collect in a
// buffer that goes to the file whenever it grows past a megabyte, so a file
// of any size is written in little memory. Without commit() the temporary
// file is removed.
class AtomicOut {
 public:
  explicit AtomicOut(std::string path);
  ~AtomicOut();
  AtomicOut(const AtomicOut&) = delete;
  AtomicOut& operator=(const AtomicOut&) = delete;

  void line(std::string_view s) {
    buf_.line(s);
    if (buf_.data().size() >= (1u << 20)) flush();
  }
  void end_line() { line({}); }
  void part(std::string_view s) {
    if (s.size() >= (1u << 20)) return write_through(s);
    buf_.part(s);
    if (buf_.data().size() >= (1u << 20)) flush();
  }
  // Appends length bytes of the open file src from offset, copied by the
  // kernel where it can.
  void copy_from(int src, long long offset, long long length);
  // Bytes written so far, buffered ones included.
  long long size() const { return written_ + static_cast<long long>(buf_.data().size()); }
  void commit();

 private:
  void flush();
  void write_through(std::string_view s);

  std::string path_, temp_;
  int fd_ = -1;
  long long written_ = 0;
  TextOut buf_;
};

// A file opened for reading; closed with the object.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// A whole file mapped read-only into memory; unmapped with the object. With
// read_now, the file is read in at once; else pages are read as touched.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path, bool read_now = true);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view data() const { return {static_cast<const char*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// Size, modification and change times (nanoseconds) and inode of a file, to
// tell whether it changed since they were taken; nothing when it cannot be
// read. The change time is set by the system on every write and cannot be
// set back (as the modification time can, by touch -r), and a file renamed
// into the place of another has another inode.
struct FileStamp {
  long long size = 0;
  long long mtime_ns = 0;
  long long ctime_ns = 0;
  unsigned long long inode = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> file_stamp(const std::string& path);

// Creates path exclusively (never through a link) and writes data; false
// when the name is taken. A file cut short by a failed write is removed.
bool create_new_file(const std::string& path, std::string_view data);
// Writes data as a new file named path: whatever had that name (a file, a
// link) is removed first, so nothing is ever written through a link.
void replace_file(const std::string& path, std::string_view data);

// Changes path, whose bytes were read as old_data, into new_data in place:
// only the bytes from the first difference on are written, and the file is
// cut to the new length. Not atomic: for files this run created itself,
// which a reader could as well meet half written. Never writes through a
// link.
void update_in_place(const std::string& path, std::string_view old_data, std::string_view new_data);

// Replaces path with data (the old file is truncated first).
void write_file(const std::string& path, std::string_view data);
// Writes data to a unique temporary file in the same folder and renames it
// over path, so that readers see either the old or the new file whole.
void write_file_atomic(const std::string& path, std::string_view data);

bool exists(const std::string& path);  // anything by that name
bool is_directory(const std::string& path);
bool is_regular_file(const std::string& path);
// Ordinary files of a folder: no folders, no hidden files (names beginning
// with "."). Names only, in the order the folder lists them.
std::vector<std::string> list_files(const std::string& dir);
// Folders of a folder, hidden ones left out, in the order it lists them.
std::vector<std::string> list_folders(const std::string& dir);
// Whether list_files would list anything; stops at the first file.
bool has_files(const std::string& dir);
void remove_file(const std::string& path);     // throws when it cannot
void make_directory(const std::string& path);  // one level; throws when it cannot
