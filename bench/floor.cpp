// The least work any converter must do to produce a given archive: read the
// mailbox once, whole, and write the same files with the same sizes into a
// fresh folder. No parsing, no decoding, no formatting. The input is read in
// 1 MiB blocks as the files are written, and the files are filled with those
// input bytes, as if each page were its message copied through; once the
// input is used up (an archive larger than its mailbox) the last block is
// written again.
//
// Usage: floor INPUT MANIFEST OUTDIR
//   MANIFEST holds one record per file, "size<TAB>relative path", each record
//   ended by a NUL byte (as `find DIR -type f -printf '%s\t%P\0'` writes it).
//   OUTDIR must not exist; it is created, and so are subfolders named in the
//   manifest.
// Prints "files bytes" on standard output. Exit status 0, or 1 with a message.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "floor: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

std::string read_whole(const char* path) {
  int fd = ::open(path, O_RDONLY);
  if (fd < 0) die(path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) die(path);
  std::string data(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) die(path);
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return data;
}

void write_all(int fd, const char* p, std::size_t n, const std::string& path) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) die(path);
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

// Creates every folder on the way to the file `rel` under `root`.
void make_parents(const std::string& root, const std::string& rel) {
  for (std::size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', slash + 1)) {
    std::string dir = root + "/" + rel.substr(0, slash);
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) die(dir);
  }
}

// The input, read once from start to end in blocks.
class Input {
 public:
  explicit Input(const char* path) : path_(path), block_(kBlock) {
    fd_ = ::open(path, O_RDONLY);
    if (fd_ < 0) die(path);
  }
  ~Input() { ::close(fd_); }

  // The unwritten bytes of the current block; reads the next block when the
  // current one is used up, and starts the last one again at the input's end.
  std::pair<const char*, std::size_t> next() {
    if (pos_ == len_) {
      if (!eof_) fill();
      if (pos_ == len_) {  // input used up: reuse what the block holds
        if (len_ == 0) {   // empty input
          len_ = block_.size();
          std::fill(block_.begin(), block_.end(), 'x');
        }
        pos_ = 0;
      }
    }
    return {block_.data() + pos_, len_ - pos_};
  }
  void consume(std::size_t n) { pos_ += n; }
  // Reads what the files did not need, so that the whole input is read.
  void drain() {
    while (!eof_) fill();
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  void fill() {
    ssize_t n;
    do n = ::read(fd_, block_.data(), block_.size());
    while (n < 0 && errno == EINTR);
    if (n < 0) die(path_);
    if (n == 0) {
      eof_ = true;
      pos_ = len_;
      return;
    }
    len_ = static_cast<std::size_t>(n);
    pos_ = 0;
  }
  const char* path_;
  std::vector<char> block_;
  int fd_ = -1;
  std::size_t len_ = 0, pos_ = 0;
  bool eof_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: floor INPUT MANIFEST OUTDIR\n", stderr);
    return 1;
  }
  Input input(argv[1]);
  const std::string manifest = read_whole(argv[2]);
  const std::string root = argv[3];
  if (::mkdir(root.c_str(), 0755) != 0) die(root);

  unsigned long long files = 0, bytes = 0;
  std::size_t rec = 0;
  while (rec < manifest.size()) {
    std::size_t end = manifest.find('\0', rec);
    if (end == std::string::npos) end = manifest.size();
    std::size_t tab = manifest.find('\t', rec);
    if (tab == std::string::npos || tab > end) {
      errno = EINVAL;
      die("manifest record " + std::to_string(files + 1));
    }
    std::size_t size = std::strtoull(manifest.c_str() + rec, nullptr, 10);
    std::string rel = manifest.substr(tab + 1, end - tab - 1);
    rec = end + 1;

    make_parents(root, rel);
    std::string path = root + "/" + rel;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) die(path);
    for (std::size_t left = size; left > 0;) {
      auto [p, avail] = input.next();
      std::size_t n = std::min(left, avail);
      write_all(fd, p, n, path);
      input.consume(n);
      left -= n;
    }
    if (::close(fd) != 0) die(path);
    ++files;
    bytes += size;
  }
  input.drain();
  std::printf("%llu %llu\n", files, bytes);
  return 0;
}
