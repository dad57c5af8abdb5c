// Message records (and thread lines) written as TAB lines in tests: date TAB subject TAB sender
// TAB message id TAB parent id TAB page TAB origin. Readable literals for
// what a test puts into work_list and what it expects back.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_record.h"
#include "core/thread_keys.h"

// The record of a line of seven TAB-separated fields (fewer: the missing ones
// empty).
inline MessageRecord Record_Of(std::string_view line) {
  std::vector<std::string_view> f;
  for (std::size_t from = 0;;) {
    const std::size_t tab = line.find('\t', from);
    f.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (tab == std::string_view::npos || f.size() == 7) break;
    from = tab + 1;
  }
  f.resize(7);
  return MessageRecord(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
}

// The record's fields as such a line.
inline std::string Record_Text(const MessageRecord& r) {
  std::string s(r.date());
  for (std::string_view v : {r.subject(), r.sender(), r.message_id(), r.parent_id(), r.page(), r.origin()}) {
    s += '\t';
    s += v;
  }
  return s;
}

// How test failures show a record.
inline void PrintTo(const MessageRecord& r, std::ostream* os) { *os << Record_Text(r); }

// A line of the thread order as "key TAB number".
inline std::string Thread_Text(const ThreadLine& t) { return std::string(t.key) + "\t" + std::to_string(t.number); }
