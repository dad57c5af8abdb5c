// The hidden comment that every message entry of menu.html carries, shared by
// the menu writer and the menu reader.
//
// Layout (one line, no other spaces):
//   <!-- Message-ID:{id} / In-Reply-To:{parent} / Subject_Len:{L} /
//        From_Data:{sender} / Date_Data:{date} / Subj_Data:{subject}-->
// L is the length in characters of the subject as written, so the reader
// takes the subject by its length and a subject may hold " / " or "-->".
//
// Inside an HTML comment "-->" and "--!>" end the comment. A value is
// written so that it cannot do that: a ">" that follows "--" or "--!" in the
// value becomes "&gt;". So that an "&gt;" of the value itself is not read
// back as ">", an "&" in the same place becomes "&amp;". Everything else is
// written unchanged; menus written before this rule existed hold no such
// escapes and read back the same, unless a value held the text "--&gt;".
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

// A value as written into the comment; escape_to appends it to out. Only a
// value holding "--" can change ("-" is never a second byte).
std::string escape(std::string_view value);
void escape_to(std::string& out, std::string_view value);
bool needs_escape(std::string_view value);
// The value as it was before escape.
std::string unescape(std::string_view written);

}  // namespace menu_comment
