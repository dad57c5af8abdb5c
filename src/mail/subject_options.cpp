#include <string_view>

#include "codec/sjis_text.h"
#include "mail/header_fields.h"

namespace {

// Removes the "re:" prefixes of a subject. A "re:" counts in any letter case
// and in full-width forms (the comparison runs on sjis::narrow_lower, which
// keeps one character per character), but only where it starts a word: at
// the start of the subject, after a space or "]", or right after another
// removed "re:". "Score: 5" and "Are: x" keep theirs. At each removal the text
// before it loses its trailing spaces and the text after it its leading
// spaces, and the two are joined directly ("a Re: b" gives "ab"); once
// anything was removed, trailing spaces of the result go too.
//
// One pass from left to right; only prefixes present in the subject itself
// are removed, never one formed by joining two sides.
std::string remove_re(std::string_view subj) {
  const std::string folded = sjis::narrow_lower(subj);
  std::string out;
  out.reserve(subj.size());
  bool word_start = true;
  bool removed = false;
  std::size_t i = 0;  // byte position in subj
  std::size_t k = 0;  // the same character's byte position in folded
  while (i < subj.size()) {
    if (word_start && std::string_view(folded).substr(k, 3) == "re:") {
      // The three folded bytes are three single-byte characters of folded,
      // each standing for one character of subj.
      for (int c = 0; c < 3; ++c) i += sjis::char_len(subj, i);
      k += 3;
      out.resize(sjis::rtrim(out).size());
      removed = true;
      // Leading spaces of the right side go; folded spaces match subj's
      // (an ideographic space folds to " " but is kept, as trimming keeps it).
      while (i < subj.size() && subj[i] == ' ') {
        ++i;
        ++k;
      }
      word_start = true;
      continue;
    }
    const std::size_t n = sjis::char_len(subj, i);
    const std::size_t fn = sjis::char_len(folded, k);
    out.append(subj.substr(i, n));
    word_start = fn == 1 && (folded[k] == ' ' || folded[k] == ']');
    i += n;
    k += fn;
  }
  if (removed) out.resize(sjis::rtrim(out).size());
  return out;
}

// Drops every "[" ... "]" part, brackets included. Only single-byte brackets
// count; there is no nesting (the first "]" ends the part); an unmatched "["
// drops the rest of the subject and a lone "]" is dropped by itself.
std::string remove_brackets(std::string_view subj) {
  std::string out;
  out.reserve(subj.size());
  bool skipping = false;
  for (std::size_t i = 0; i < subj.size();) {
    const std::size_t n = sjis::char_len(subj, i);
    if (n == 1 && subj[i] == '[')
      skipping = true;
    else if (n == 1 && subj[i] == ']')
      skipping = false;
    else if (!skipping)
      out.append(subj.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

std::string Del_Subj_Opt(std::string& subj, bool SBJ_KAK, bool SBJ_RES) {
  subj.erase(0, subj.size() - sjis::ltrim(subj).size());
  if (SBJ_RES && SBJ_KAK) return subj;
  if (SBJ_RES) return remove_brackets(subj);
  std::string result = remove_re(subj);
  return SBJ_KAK ? result : remove_brackets(result);
}
