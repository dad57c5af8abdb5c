#include "mail/mbox_file.h"

#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "core/file_read.h"
#include "core/posix_io.h"
#include "mail/mime_reader.h"

namespace {

// The lines of a file, each with its line end (LF; CR LF ends in LF too),
// read in blocks. State: the block being read, where the next line starts in
// it, and whether the file is one of lone CRs (decided on its first 64 KB).
class LineReader {
 public:
  explicit LineReader(const std::string& path) : path_(path), file_(path) {}

  // The next line, valid until the next call; false at the end of the file.
  bool next(std::string_view& line) {
    for (;;) {
      const std::size_t lf = buf_.find('\n', scanned_);
      if (lf != std::string::npos) return take(lf + 1, line);
      scanned_ = buf_.size();
      if (!fill()) return scanned_ > start_ && take(buf_.size(), line);
    }
  }

 private:
  bool take(std::size_t end, std::string_view& line) {
    line = std::string_view(buf_).substr(start_, end - start_);
    start_ = scanned_ = end;
    return true;
  }

  // Reads the next block after what is left of the last; false at the end.
  bool fill() {
    buf_.erase(0, start_);
    scanned_ -= start_;
    start_ = 0;
    const std::size_t had = buf_.size();
    buf_.resize(had + kBlock);
    ssize_t n;
    do n = ::read(file_.fd(), buf_.data() + had, kBlock);
    while (n < 0 && errno == EINTR);
    if (n < 0) posix_io::fail(path_, errno);
    buf_.resize(had + static_cast<std::size_t>(n));
    if (first_) {
      first_ = false;
      const std::string_view head = std::string_view(buf_).substr(0, 65536);
      cr_only_ = head.find('\n') == std::string_view::npos && head.find('\r') != std::string_view::npos;
    }
    if (cr_only_)
      for (std::size_t k = had; k < buf_.size(); ++k)
        if (buf_[k] == '\r') buf_[k] = '\n';
    return n > 0;
  }

  static constexpr std::size_t kBlock = 1 << 20;
  const std::string& path_;
  ReadOnlyFile file_;
  std::string buf_;
  std::size_t start_ = 0, scanned_ = 0;
  bool first_ = true, cr_only_ = false;
};

// mboxrd quoting: a line of ">"s and "From " loses one ">".
void unquote_from(std::string& s) {
  if (s.find(">From ") == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t end = s.find('\n', i);
    end = end == std::string::npos ? s.size() : end + 1;
    std::size_t k = i;
    while (k < end && s[k] == '>') ++k;
    if (k > i && s.compare(k, 5, "From ") == 0) ++i;
    out.append(s, i, end - i);
    i = end;
  }
  s.swap(out);
}

// The message as it was before the mbox writer added its empty line.
void drop_writer_line(std::string& message) {
  const std::size_t n = message.size();
  if (n >= 2 && message[n - 1] == '\n' && message[n - 2] == '\n')
    message.pop_back();
  else if (n >= 3 && message.compare(n - 3, 3, "\n\r\n") == 0)
    message.resize(n - 2);
}

}  // namespace

void read_mbox(const std::string& path, const std::function<void(MailMessage&, std::int64_t)>& each) {
  LineReader lines(path);
  std::string raw;
  bool in_message = false;
  std::int64_t read = 0;
  const auto deliver = [&] {
    drop_writer_line(raw);
    unquote_from(raw);
    MailMessage message = read_message(raw);
    each(message, read);
  };
  std::string_view line;
  while (lines.next(line)) {
    if (line.starts_with("From ")) {
      if (in_message) deliver();
      in_message = true;
      raw.clear();
    } else if (in_message) {
      raw += line;
    }
    read += static_cast<std::int64_t>(line.size());
  }
  if (in_message) deliver();
}
