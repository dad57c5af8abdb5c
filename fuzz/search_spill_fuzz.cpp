// The search collector's lists moved to the spill file before every message
// (the smallest budget) against the same messages collected in memory: the
// same tokens, each with the same entries, read back in shard order, and
// every record of the file read. Messages are the input split at 0x01
// bytes: subject, sender and body lines split at 0x02 and newlines (any
// bytes, taken as Shift_JIS), attachments' names after 0x03.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/search_collect.h"
#include "fuzz/scratch_dir.h"

namespace {

std::vector<std::string_view> split(std::string_view s, char at) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = s.find(at, start);
    parts.push_back(s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

void add_all(SearchCollector& c, std::string_view input) {
  std::uint32_t page = 1;
  for (const std::string_view message : split(input, '\x01')) {
    const std::vector<std::string_view> named = split(message, '\x03');
    const std::vector<std::string_view> fields = split(named[0], '\x02');
    TextLines lines;
    for (std::size_t k = 2; k < fields.size(); ++k)
      for (const std::string_view line : split(fields[k], '\n')) lines.push_back(std::string(line));
    std::vector<std::string> names = {""};
    for (std::size_t k = 1; k < named.size(); ++k) names.emplace_back(named[k]);
    // A page now and then sent again, as a re-sent message is.
    c.add(page, fields[0], fields.size() > 1 ? fields[1] : "", lines, attach_list(names));
    page = message.size() % 3 == 0 && page > 1 ? page - 1 : page + 1;
  }
  c.settle();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  scratch.clear();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  SearchCollector kept(false), spilled(false);
  spilled.spill_to(scratch / "srch", 0);
  add_all(kept, input);
  add_all(spilled, input);
  FUZZ_CHECK(kept.tokens() == spilled.tokens());
  FUZZ_CHECK(scratch.names().empty() || scratch.names() == std::vector<std::string>{"srch"});
  std::vector<char> seen(spilled.tokens(), 0);
  for (const std::uint32_t t : spilled.tokens_in_order()) {
    FUZZ_CHECK(t < seen.size() && !seen[t]);
    seen[t] = 1;
    FUZZ_CHECK(kept.token(t) == spilled.token(t));
    std::vector<std::uint32_t> want, got;
    kept.for_each_entry(t, [&](std::uint32_t e) { want.push_back(e); });
    spilled.for_each_entry(t, [&](std::uint32_t e) { got.push_back(e); });
    FUZZ_CHECK(want == got);
  }
  FUZZ_CHECK(spilled.lists_read());
  for (std::size_t e = 0; e < kept.entries(); ++e) FUZZ_CHECK(kept.entry_hash(e) == spilled.entry_hash(e));
  return 0;
}
