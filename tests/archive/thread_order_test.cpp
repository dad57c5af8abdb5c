#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "archive/menu_page.h"
#include "archive_fixture.h"
#include "mail/header_fields.h"

namespace {

using Lines = std::vector<std::string>;

// A message of a threading case: subject, own id, parent id. Its date is
// its position, so the work_list order is the order given.
struct Msg {
  const char* subject;
  const char* id;
  const char* parent;
};

Lines Thread_Keys(ArchiveFixture& f, const std::vector<Msg>& msgs) {
  for (std::size_t i = 0; i < msgs.size(); ++i) {
    char date[80];
    std::snprintf(date, sizeof date, "2004-01-01 00:00:%02zu", i);
    f.ws.work_list.add(Work_Line({date, msgs[i].subject, "a <b>", msgs[i].id, msgs[i].parent, page_name(i + 1), "0"}));
  }
  EXPECT_TRUE(Syosai_Make(f.ws));
  Lines keys;
  for (std::size_t i = 0; i < f.ws.syo_list.count(); ++i) keys.push_back(Thread_Text(f.ws.syo_list.at(i)));
  return keys;
}

TEST(SyosaiMake, ThreadKeys) {
  struct Row {
    const char* name;
    bool s_title;
    std::vector<Msg> msgs;
    Lines keys;  // syo_list in its order
  } rows[] = {
      {"reply_chain",
       false,
       {{"a", "<a>", ""}, {"Re: a", "<b>", "<a>"}, {"Re: a", "<c>", "<b>"}},
       {"Z0000000\t0", "Z0000000Z0000001\t1", "Z0000000Z0000001Z0000002\t2"}},
      {"reply_before_its_root_parent",
       false,
       {{"Re: a", "<b>", "<a>"}, {"a", "<a>", ""}},
       {"Z0000001\t1", "Z0000001Z0000000\t0"}},
      {"reply_before_parent_that_has_a_parent",
       false,
       {{"x", "<c>", "<b>"}, {"x", "<a>", ""}, {"x", "<b>", "<a>"}},
       {"Z0000001\t1", "Z0000001Z0000002\t2", "Z0000001Z0000002Z0000000\t0"}},
      {"equal_subjects_without_subject_threading",
       false,
       {{"test", "<a>", ""}, {"test", "<b>", ""}},
       {"Z0000000\t0", "Z0000001\t1"}},
      {"subject_parent_is_last_earlier_message",
       true,
       {{"test", "<a>", ""}, {"Re: test", "<b>", ""}, {"Re: Re: test", "<c>", ""}},
       {"Z0000000\t0", "Z0000000Z0000001\t1", "Z0000000Z0000002\t2"}},
      {"subject_parent_never_later_message",
       true,
       {{"[ml:1] Re: x", "<a>", ""}, {"x", "<b>", ""}},
       {"Z0000000\t0", "Z0000000Z0000001\t1"}},
      {"subject_match_hangs_under_thread_root",
       true,
       {{"a", "<a>", ""}, {"b", "<b>", "<a>"}, {"Re: b", "<c>", ""}},
       {"Z0000000\t0", "Z0000000Z0000001\t1", "Z0000000Z0000002\t2"}},
      {"reply_beats_subject",
       true,
       {{"a", "<a>", ""}, {"b", "<b>", ""}, {"Re: b", "<c>", "<a>"}},
       {"Z0000000\t0", "Z0000000Z0000002\t2", "Z0000001\t1"}},
      {"excluded_titles_no_subject_parent",
       true,
       {{"こんにちは", "<a>", ""}, {"Re: こんにちは", "<b>", ""}, {"こんにち", "<c>", ""}, {"こんにち", "<d>", ""}},
       {"Z0000000\t0", "Z0000001\t1", "Z0000002\t2", "Z0000003\t3"}},
      {"empty_reduced_subject_no_subject_parent",
       true,
       {{"Re:", "<a>", ""}, {"Re:", "<b>", ""}},
       {"Z0000000\t0", "Z0000001\t1"}},
      {"own_id_is_no_parent", false, {{"a", "<a>", "<a>"}}, {"Z0000000\t0"}},
      {"duplicate_id_other_copy_is_parent",
       false,
       {{"a", "<a>", "<a>"}, {"b", "<a>", ""}},
       {"Z0000001\t1", "Z0000001Z0000000\t0"}},
      {"first_of_equal_ids_wins",
       false,
       {{"a", "<a>", ""}, {"b", "<a>", ""}, {"c", "<c>", "<a>"}},
       {"Z0000000\t0", "Z0000000Z0000002\t2", "Z0000001\t1"}},
      {"blank_parent_id_is_none", false, {{"a", " ", ""}, {"b", "<b>", " "}}, {"Z0000000\t0", "Z0000001\t1"}},
      // Two messages that name each other: the second would become its own
      // ancestor; it is the root of the pair instead.
      {"never_own_ancestor_by_replies",
       false,
       {{"a", "<a>", "<b>"}, {"b", "<b>", "<a>"}},
       {"Z0000001\t1", "Z0000001Z0000000\t0"}},
      // 0 waits for its parent 2; 1 joins 0's thread by subject (under the
      // step of 2); 2 matches 1 by subject and so leads back to itself.
      {"never_own_ancestor_by_subject",
       true,
       {{"x", "<a>", "<b>"}, {"Re: x", "<c>", ""}, {"x", "<b>", ""}},
       {"Z0000002\t2", "Z0000002Z0000000\t0", "Z0000002Z0000001\t1"}},
      // ゾ (0x83 0x5D) holds no "]" for Trim_Subj, ー (0x81 0x5B) no "[".
      {"trail_bytes_are_no_brackets",
       true,
       {{"表ゾー", "<a>", ""}, {"Re: 表ゾー", "<b>", ""}, {"ー", "<c>", ""}},
       {"Z0000000\t0", "Z0000000Z0000001\t1", "Z0000002\t2"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    f.ws.set.S_TITLE = r.s_title;
    EXPECT_EQ(Thread_Keys(f, r.msgs), r.keys);
  }
}

TEST(SyosaiMake, RebuildsFromNothing) {
  ArchiveFixture f;
  f.ws.syo_list.add("Z0000099", 99);
  Thread_Keys(f, {{"a", "<a>", ""}});
  EXPECT_EQ(f.ws.syo_list.count(), 1u);
}

// A generated archive of 33,000 messages (more than a 16-bit count): a
// random forest of replies whose dates are shuffled, so that many replies
// sort before their parents, plus messages that join a thread by subject.
TEST(SyosaiMake, LargeArchiveEveryMessageUnderItsParent) {
  constexpr std::size_t n = 33000;
  std::mt19937 rng(12345);
  std::vector<std::size_t> reply_to(n, SIZE_MAX);  // by creation order
  std::vector<std::string> subject(n);
  for (std::size_t c = 0; c < n; ++c) {
    if (c > 0 && rng() % 4 != 0) reply_to[c] = rng() % c;
    subject[c] = reply_to[c] == SIZE_MAX ? "topic " + std::to_string(c) : "Re: " + subject[reply_to[c]];
  }
  std::vector<std::size_t> when(n);  // creation -> second of its date
  for (std::size_t c = 0; c < n; ++c) when[c] = c;
  std::shuffle(when.begin(), when.end(), rng);

  ArchiveFixture f;
  f.ws.set.S_TITLE = true;
  f.ws.set.TITLE_D = "";
  for (std::size_t c = 0; c < n; ++c) {
    char date[80];
    std::snprintf(date, sizeof date, "2004-01-01 %02zu:%02zu:%02zu", when[c] / 3600, when[c] / 60 % 60, when[c] % 60);
    // Every fifth reply lost its header and is threaded by subject only.
    bool header = reply_to[c] != SIZE_MAX && c % 5 != 0;
    f.ws.work_list.add(Work_Line({date, subject[c], "a", "<" + std::to_string(c) + ">",
                                  header ? "<" + std::to_string(reply_to[c]) + ">" : "", page_name(c + 1), "0"}));
  }
  ASSERT_TRUE(Syosai_Make(f.ws));
  ASSERT_EQ(f.ws.syo_list.count(), n);

  std::vector<std::string> key(n);
  for (std::size_t k = 0; k < n; ++k) {
    const ThreadLine t = f.ws.syo_list.at(k);
    key[t.number] = t.key;
  }
  const std::unordered_set<std::string> all_keys(key.begin(), key.end());
  std::unordered_map<std::string, std::size_t> number_of;  // id -> work_list position
  std::vector<MessageRecord> fields;
  for (std::size_t i = 0; i < n; ++i) {
    fields.push_back(f.ws.work_list.at(i));
    number_of[std::string(fields[i].message_id())] = i;
  }
  std::unordered_map<std::string, std::size_t> last_by_subject;
  std::size_t by_reply = 0, by_subject = 0, closed = 0;
  for (std::size_t i = 0; i < n; ++i) {
    char step[16];
    std::snprintf(step, sizeof step, "Z%07zu", i);
    ASSERT_TRUE(key[i].ends_with(step)) << i;
    ASSERT_TRUE(all_keys.contains(key[i].substr(0, 8))) << i;  // every thread has its root line
    const std::string above = key[i].substr(0, key[i].size() - 8);
    std::string reduced(fields[i].subject());
    Trim_Subj(reduced);
    std::size_t parent = SIZE_MAX;
    const bool reply = !fields[i].parent_id().empty();
    if (reply)
      parent = number_of.at(std::string(fields[i].parent_id()));
    else if (auto it = last_by_subject.find(reduced); it != last_by_subject.end())
      parent = it->second;
    last_by_subject[reduced] = i;

    if (parent == SIZE_MAX) {
      ASSERT_EQ(above, "") << i;
    } else if (key[parent].starts_with(step)) {
      // The parent hangs in this message's own thread: this is its root.
      ASSERT_EQ(above, "") << i;
      ++closed;
    } else if (reply) {
      ASSERT_EQ(above, key[parent]) << i;  // directly under its parent
      ++by_reply;
    } else {
      // Under the root of its parent's thread: one step when placed; a
      // subtree moved later takes the same path in front of both keys.
      ASSERT_TRUE(!above.empty() && key[parent].starts_with(above)) << i;
      ASSERT_TRUE(all_keys.contains(above)) << i;
      ++by_subject;
    }
  }
  EXPECT_GT(by_reply, n / 2);
  EXPECT_GT(by_subject, n / 20);
  EXPECT_GT(closed, 0u);  // the shuffled dates do produce such chains
}

}  // namespace
