// The collectors of the header fields that a work_list line keeps.
//
// Every value they store is free of TAB, CR and LF: a work_list line uses TAB
// between its fields, and the pages and the menu write a field on one line.
#include <algorithm>
#include <optional>
#include <string_view>

#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/header_fields.h"
#include "mail/mail_date.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Blanks around folded lines: spaces and TABs.
std::string_view trim_blanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// True when c is one of the bytes of drop.
bool dropped(char c, std::string_view drop) {
  for (char d : drop)
    if (c == d) return true;
  return false;
}

// s without the single-byte characters listed in drop. Bytes below 0x40
// are never the second byte of a double-byte character, so when drop holds
// only such bytes, a text without any of them anywhere is kept whole.
std::string without(std::string s, std::string_view drop) {
  const bool low = std::all_of(drop.begin(), drop.end(), [](char d) { return static_cast<unsigned char>(d) < 0x40; });
  if (low && std::none_of(s.begin(), s.end(), [drop](char c) { return dropped(c, drop); })) return s;
  std::string out;
  out.reserve(s.size());
  const std::string_view v = s;
  for (std::size_t i = 0; i < v.size();) {
    const std::size_t n = sjis::char_len(v, i);
    if (!(n == 1 && dropped(v[i], drop))) out.append(v.substr(i, n));
    i += n;
  }
  return out;
}

// s with every TAB turned into a space (neither can be a trail byte): s
// itself when it holds no TAB, else a copy made in held.
std::string_view tabs_to_spaces(std::string_view s, std::string& held) {
  if (s.find('\t') == std::string_view::npos) return s;
  held.assign(s);
  std::replace(held.begin(), held.end(), '\t', ' ');
  return held;
}

// ---------------------------------------------------------------------------
// Date zones.

bool same_letters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sjis::starts_with_nocase(a, b);
}

// Offset from UTC in minutes of a zone text: "+hhmm"/"-hhmm" (also without
// sign), "+hmm"/"-hmm" (three digits: "-600" is -06:00), "+h"/"+hh", the
// names of RFC 822 (UT, GMT, Z, EST, EDT, CST, CDT, MST, MDT, PST, PDT) and
// UTC and JST, also in parentheses. An unknown name is UTC. A comment
// ("(Sunday)", anything in parentheses that is no zone name) is no zone:
// the zone after it counts, and with none after it the date has no zone
// (nothing is returned). Anything else counts its first three characters as
// signed hours ("+09x" is 9), nothing readable being 0.
std::optional<long long> zone_minutes(std::string_view z) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  static const struct {
    const char* name;
    int hours;
  } names[] = {{"UT", 0},   {"UTC", 0},  {"GMT", 0},  {"Z", 0},    {"EST", -5}, {"EDT", -4}, {"CST", -6},
               {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}, {"JST", 9}};
  // Leading comments: a zone name in parentheses is the zone, any other
  // comment is skipped (comments do not nest here; an unclosed one runs to
  // the end).
  while (!z.empty() && z[0] == '(') {
    std::size_t e = 1;
    while (e < z.size() && letter(z[e])) ++e;
    const std::string_view word = z.substr(1, e - 1);
    for (const auto& n : names)
      if (same_letters(word, n.name)) return n.hours * 60;
    const std::size_t close = z.find(')');
    z = close == std::string_view::npos ? std::string_view() : sjis::trim(z.substr(close + 1));
  }
  if (z.empty()) return std::nullopt;
  std::size_t i = 0;
  int sign = 1;
  if (z[i] == '+' || z[i] == '-') sign = z[i++] == '-' ? -1 : 1;
  std::size_t nd = 0;
  while (i + nd < z.size() && digit(z[i + nd])) ++nd;
  if (nd == 3 || nd == 4) {
    const std::string_view d = z.substr(i, nd);
    const int hours = nd == 4 ? (d[0] - '0') * 10 + (d[1] - '0') : d[0] - '0';
    return sign * (hours * 60 + (d[nd - 2] - '0') * 10 + (d[nd - 1] - '0'));
  }
  if (nd >= 1 && nd <= 2 && i == 1) {
    int h = 0;
    for (std::size_t k = 0; k < nd; ++k) h = h * 10 + (z[i + k] - '0');
    return sign * h * 60;
  }
  if (nd == 0 && i == 0) {
    std::size_t e = 0;
    while (e < z.size() && letter(z[e])) ++e;
    const std::string_view word = z.substr(0, e);
    for (const auto& n : names)
      if (same_letters(word, n.name)) return n.hours * 60;
    return 0;
  }
  // The leading sign and digits of the first three characters, as hours.
  const std::string_view three = z.substr(0, 3);
  std::size_t k = (three[0] == '+' || three[0] == '-') ? 1 : 0;
  long long h = 0;
  for (; k < three.size() && digit(three[k]); ++k) h = h * 10 + (three[k] - '0');
  return sign * h * 60;
}

// The zone of a date text starts at the leftmost space after the last colon
// (the end of the time) that does not follow a colon ("12: 00" is still the
// time), or without a colon at the first space. An "AM"/"PM" word there still
// belongs to the time. Returns npos when there is none.
std::size_t zone_start(std::string_view d) {
  const std::size_t colon = sjis::rfind_char(d, ':');
  for (std::size_t k = colon == std::string_view::npos ? 0 : colon + 1; k < d.size(); k += sjis::char_len(d, k)) {
    if (d[k] != ' ' || (k > 0 && d[k - 1] == ':')) continue;
    const std::string_view next = d.substr(k + 1);
    const bool ampm = (sjis::starts_with_nocase(next, "am") || sjis::starts_with_nocase(next, "pm")) &&
                      (next.size() == 2 || next[2] == ' ');
    if (!ampm) return k;
  }
  return std::string_view::npos;
}

// ---------------------------------------------------------------------------
// Ids.

// The first "<" through the first ">" after it, or nothing.
std::optional<std::string_view> first_id(std::string_view s) {
  const std::size_t lt = sjis::find_char(s, '<');
  if (lt == std::string_view::npos) return std::nullopt;
  const std::size_t gt = sjis::find_char(s, '>', lt);
  if (gt == std::string_view::npos) return std::nullopt;
  return s.substr(lt, gt - lt + 1);
}

// The last complete "<...>" of s, or nothing.
std::optional<std::string_view> last_id(std::string_view s) {
  std::optional<std::string_view> found;
  std::size_t from = 0;
  while (auto id = first_id(s.substr(from))) {
    found = id;
    from = static_cast<std::size_t>(id->data() - s.data()) + id->size();
  }
  return found;
}

}  // namespace

void get_from(std::string_view value, MessageValues& m, std::string_view text_charset) {
  m.from = without(Decode_Header(value, text_charset), "\t\r\n");
}

void get_subject(std::string_view value, MessageValues& m, std::string_view text_charset) {
  m.subject = without(Decode_Header(value, text_charset), "\t\r\n");
}

// Value grammar: [weekday ","] date [zone], the date as parse_date reads it
// and the zone as zone_minutes reads it (no zone, or only a comment: the
// date and time as written, taken as Japan time). TABs count as
// spaces. Readable dates are stored as "yyyy-mm-dd hh:mm:ss" in Japan time,
// also when the zone is written in a way of its own; a value that does not
// read as a date, whatever its zone, is stored as its text (trimmed, TABs as
// spaces).
void get_date(std::string_view field, MessageValues& m) {
  std::string spaced;
  const std::string_view value = sjis::trim(tabs_to_spaces(field, spaced));
  std::string_view d = value;
  const std::size_t comma = sjis::find_char(d, ',');
  if (comma != std::string_view::npos) d = d.substr(comma + 1);

  std::optional<DateTime> when;
  long long zone = 9 * 60;
  const std::size_t z = zone_start(d);
  if (z != std::string_view::npos) {
    when = parse_date(d.substr(0, z));
    if (when) zone = zone_minutes(sjis::trim(d.substr(z + 1))).value_or(9 * 60);
  }
  if (!when) {
    // A zone split in the wrong place ("1 Jan 2001" has no time): the whole.
    when = parse_date(d);
    zone = 9 * 60;
  }
  if (!when) {
    m.date = value;
    return;
  }
  if (zone != 9 * 60) *when = add_minutes(*when, 9 * 60 - zone);
  m.date = stamp_date(*when);
}

std::string message_id_of(std::string_view value) {
  // The first "<...>"; without one (or with ">" before "<") the whole value.
  std::string_view id = value;
  if (auto bracketed = first_id(value)) id = *bracketed;
  return without(std::string(trim_blanks(id)), "\t");
}

void get_message_id(std::string_view value, WorkList& work_list, MessageValues& m, MessageSink* earlier) {
  m.message_id = message_id_of(value);
  take_listed(work_list, m, earlier);
}

void take_listed(WorkList& work_list, MessageValues& m, MessageSink* earlier) {
  // A message whose id is already listed takes over that entry's page. An
  // empty id never matches: WorkList does not index empty ids.
  m.duplicate = false;
  m.reused_page.clear();
  if (m.message_id.empty()) return;
  std::optional<MessageRecord> listed = work_list.take_by_id(m.message_id);
  if (!listed && earlier) listed = earlier->take_earlier(m.message_id);
  if (listed) {
    m.duplicate = true;
    m.reused_page = listed->page_name();
  }
}

// In-Reply-To wins over References. Of In-Reply-To the id at its end counts:
// the tail from its last space, "<" or colon; when that tail holds no
// "<...>" (an id followed by a comment) its last "<...>", and when there is
// none its text, trimmed, when that is one word. Of References the last id
// counts, the message's direct parent.
void get_parent(std::string_view in_reply_to, std::string_view references, MessageValues& m) {
  m.parent_id.clear();
  std::string spaced;
  const std::string_view irt = sjis::trim(tabs_to_spaces(in_reply_to, spaced));
  if (!irt.empty()) {
    std::size_t cut = 0;
    for (std::size_t k = 0; k < irt.size(); k += sjis::char_len(irt, k))
      if (sjis::char_len(irt, k) == 1 && (irt[k] == ' ' || irt[k] == '<')) cut = k;
    if (auto id = first_id(irt.substr(cut)))
      m.parent_id = *id;
    else if (auto id2 = last_id(irt))
      m.parent_id = *id2;
    else if (sjis::find_char(irt, ' ') == std::string_view::npos)
      m.parent_id = irt;
    if (!m.parent_id.empty()) return;
  }
  if (auto id = last_id(tabs_to_spaces(references, spaced))) m.parent_id = *id;
}
