// The hidden comment that every message entry of menu.html carries, shared by
// the menu writer and the menu reader.
//
// Layout (one line, no other spaces):
//   <!-- Message-ID:{id} / In-Reply-To:{parent} / Subject_Len:{L} /
//        From_Data:{sender} / Date_Data:{date} / Subj_Data:{subject}-->
// L is the length in characters of the subject as written, so the reader
// takes the subject by its length and a subject may hold " / " or "-->".
// Every other value (id, parent, sender, date) ends where the text of the
// next label (" / In-Reply-To:" ...) begins.
//
// Values are written so that the reader gets them back whole:
// - Comment end (every value, the subject too). Inside an HTML comment "-->"
//   and "--!>" end the comment: a ">" that follows "--" or "--!" in the value
//   becomes "&gt;", and an "&" in the same place "&amp;", so that an "&gt;"
//   of the value itself is not read back as ">".
// - Label text (the values found by the next label, not the subject). A
//   value holding one of the label texts " / Message-ID:", " / In-Reply-To:",
//   " / Subject_Len:", " / From_Data:", " / Date_Data:", " / Subj_Data:"
//   would end there: its "/" becomes "&#47;". An "&" after a space that
//   would read back as such an escape (it is followed by "#47;" and a label
//   tail, after any number of "amp;") becomes "&amp;".
// Both rules look only at text of the value next to the character (the
// comment end rule at what precedes it, the label rule at a space before
// and the label that follows), so an escape is read back only where the
// writer could have made it. Everything else is written unchanged. Menus
// written before a rule existed hold none of its escapes and read back the
// same, unless a value held the very text of an escape in its place
// ("--&gt;", or " &#47; From_Data:").
#pragma once

#include <string>
#include <string_view>

namespace menu_comment {

inline constexpr std::string_view kStart = "<!-- Message-ID:";
inline constexpr std::string_view kParent = " / In-Reply-To:";
inline constexpr std::string_view kSubjectLen = " / Subject_Len:";
inline constexpr std::string_view kSender = " / From_Data:";
inline constexpr std::string_view kDate = " / Date_Data:";
inline constexpr std::string_view kSubject = " / Subj_Data:";
inline constexpr std::string_view kEnd = "-->";

// A value that ends at the next label (id, parent, sender, date) as written
// into the comment; escape_to appends it to out. needs_escape is false only
// when the value is written unchanged.
std::string escape(std::string_view value);
void escape_to(std::string& out, std::string_view value);
bool needs_escape(std::string_view value);
// The value as it was before escape.
std::string unescape(std::string_view written);

// The subject, which the reader takes by its length: only the comment end
// rule applies.
std::string escape_subject(std::string_view subject);
bool subject_needs_escape(std::string_view subject);
std::string unescape_subject(std::string_view written);

}  // namespace menu_comment
