#include "core/line_store.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/vb_error.h"

namespace {
constexpr std::size_t kBlock = 1 << 20;

// The first CR or LF in [p, p + n), or p + n; esc is set when an ESC comes
// before it. Sixteen bytes at a time with SSE2, then eight at a time: a byte
// equal to CR, LF or ESC gives a zero byte after the XOR, and the lowest
// zero byte found by the usual test is always a true one.
const char* find_terminator(const char* p, std::size_t n, bool& esc) {
  static_assert(std::endian::native == std::endian::little, "the first byte must be the lowest");
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
  constexpr std::uint64_t kCr = kOnes * '\r', kLf = kOnes * '\n', kEsc = kOnes * 0x1B;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), es = _mm_set1_epi8(0x1B);
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const unsigned hit =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    const unsigned esc_hit = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, es)));
    if (hit) {
      const int at = std::countr_zero(hit);
      if (esc_hit & ((1u << at) - 1)) esc = true;
      return p + i + at;
    }
    if (esc_hit) esc = true;
  }
#endif
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    const std::uint64_t a = w ^ kCr, b = w ^ kLf, e = w ^ kEsc;
    const std::uint64_t hit = (((a - kOnes) & ~a) | ((b - kOnes) & ~b)) & kHigh;
    const std::uint64_t esc_hit = ((e - kOnes) & ~e) & kHigh;
    if (hit) {
      const int at = std::countr_zero(hit);
      // ESC bytes below the terminator; a false hit lies only above a true one.
      if (esc_hit & ((std::uint64_t{1} << at) - 1)) esc = true;
      return p + i + static_cast<std::size_t>(at) / 8;
    }
    if (esc_hit) esc = true;
  }
  for (; i < n; ++i) {
    if (p[i] == '\r' || p[i] == '\n') return p + i;
    if (p[i] == '\x1B') esc = true;
  }
  return p + n;
}
}  // namespace

LineStore::LineStore(std::vector<std::string> lines) {
  for (auto& line : lines) next_slot() = std::move(line);
}

LineStore::~LineStore() { clear(); }

void LineStore::clear() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  ring_.clear();
  head_ = count_ = base_ = 0;
  pos_ = end_ = 0;
  filled_ = 0;
  eof_ = true;
  buf_.clear();
  buf_.shrink_to_fit();
}

void LineStore::open(const std::string& path, Convert convert) {
  clear();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) throw VbError(vb_code_from_errno(errno), path + ": " + std::strerror(errno));
  path_ = path;
  convert_ = std::move(convert);
  buf_.resize(kBlock);
  eof_ = false;
}

std::string& LineStore::next_slot() const {
  if (count_ == ring_.size()) {
    // Full: double the ring, keeping the lines in order from slot 0.
    std::vector<std::unique_ptr<std::string>> bigger(ring_.empty() ? 64 : ring_.size() * 2);
    for (std::size_t k = 0; k < ring_.size(); ++k) bigger[k] = std::move(ring_[(head_ + k) & (ring_.size() - 1)]);
    for (auto& slot : bigger)
      if (!slot) slot = std::make_unique<std::string>();
    ring_.swap(bigger);
    head_ = 0;
  }
  std::string& slot = *ring_[(head_ + count_) & (ring_.size() - 1)];
  ++count_;
  slot.clear();
  return slot;
}

bool LineStore::refill() const {
  end_ = std::fread(buf_.data(), 1, buf_.size(), file_);
  pos_ = 0;
  filled_ += static_cast<std::int64_t>(end_);
  if (end_ == 0 && std::ferror(file_)) throw VbError(57, path_ + ": read error");
  return end_ != 0;
}

void LineStore::end_of_line() const {
  if (buf_[pos_++] == '\r') {
    // A CR LF pair may be split between two blocks.
    if (pos_ < end_ || refill()) {
      if (buf_[pos_] == '\n') ++pos_;
    }
  }
}

bool LineStore::read_line() const {
  if (eof_) return false;
  if (pos_ == end_ && !refill()) {
    eof_ = true;  // a final terminator starts no line
    return false;
  }
  std::string& line = next_slot();
  bool esc = false;
  for (;;) {
    const char* start = buf_.data() + pos_;
    const std::size_t n = end_ - pos_;
    const std::size_t k = static_cast<std::size_t>(find_terminator(start, n, esc) - start);
    line.append(start, k);
    pos_ += k;
    if (k < n) break;
    if (!refill()) {  // the file ends inside the line
      eof_ = true;
      break;
    }
  }
  if (!eof_) end_of_line();
  if (esc && convert_) convert_(line);
  return true;
}

bool LineStore::next(std::string_view& line) {
  if (eof_) return false;
  if (pos_ == end_ && !refill()) {
    eof_ = true;
    return false;
  }
  bool esc = false;
  const char* start = buf_.data() + pos_;
  const std::size_t n = end_ - pos_;
  const std::size_t k = static_cast<std::size_t>(find_terminator(start, n, esc) - start);
  // The usual line: whole in the block, its terminator too (a CR last in
  // the block may have its LF in the next one, which would overwrite it).
  if (k + 1 < n && !(esc && convert_)) {
    line = std::string_view(start, k);
    pos_ += k;
    end_of_line();
    return true;
  }
  copy_.assign(start, k);
  pos_ += k;
  if (k == n) {  // the line goes on in the next block
    for (;;) {
      if (!refill()) {  // the file ends inside the line
        eof_ = true;
        break;
      }
      start = buf_.data();
      const std::size_t more = static_cast<std::size_t>(find_terminator(start, end_, esc) - start);
      copy_.append(start, more);
      pos_ = more;
      if (more < end_) break;
    }
  }
  if (!eof_) end_of_line();
  if (esc && convert_) convert_(copy_);
  line = copy_;
  return true;
}

bool LineStore::read_up_to(std::size_t i) const {
  while (i >= base_ + count_) {
    if (!read_line()) return false;
  }
  return i >= base_;
}

void LineStore::release_before(std::size_t i) {
  if (i <= base_ || count_ == 0) return;
  const std::size_t k = std::min(i - base_, count_);
  head_ = (head_ + k) & (ring_.size() - 1);
  count_ -= k;
  base_ += k;
}
