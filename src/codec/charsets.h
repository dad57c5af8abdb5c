// Text in any MIME character set to the archive's Shift_JIS (code page 932).
//
// Characters that code page 932 lacks are written as decimal numeric
// character references ("ø" becomes "&#248;", an emoji "&#128512;"), so that
// the pages still show them. The page writer leaves every "&#digits;" alone
// and escapes every other "&". So that a literal "&#248;" in a mail still
// shows as written, a "&" that is followed by "#" in the source text is
// written "&#38;" (the reference for "&") and the "#" follows: "&#248;" in a
// mail comes out as "&#38;#248;". Every text that leaves this file keeps that
// convention; whoever turns it into something else than a page (a file name)
// reads the references back.
//
// Bytes that form no character of their character set become the geta mark
// "〓" (0x81 0xAC); the conversion goes on with the next byte, so a broken
// byte never costs the rest of its line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text in the MIME charset `charset` (any letter case, possibly empty or
// unknown) to Shift_JIS (code page 932). Line ends in the input ("\n",
// "\r\n", "\r") pass through unchanged.
//
// - ISO-2022-JP (iso-2022-jp, -1, -2, -3, csISO2022JP) goes through
//   Jis_To_Sjis a line at a time, the mode starting afresh on every line, so
//   the NEC specials of row 13, the NEC-selected IBM extensions and
//   half-width katakana come out as the sender's Shift_JIS would have them.
//   8-bit bytes beside the escapes are taken as Shift_JIS. A line that uses
//   an escape of ISO-2022-JP-1, -2 or -3 (ESC $ ( D, which Jis_To_Sjis can
//   only turn into geta marks, ESC $ A, ESC $ ( C, ESC . A, ESC . F, ESC N,
//   ESC $ ( O/Q/P) goes through iconv as ISO-2022-JP-3 for the JIS X 0213
//   escapes, else as ISO-2022-JP-2, as far as code page 932 holds its
//   characters (the label does not matter: the escapes tell).
// - Shift_JIS under any of its labels (Shift_JIS, Shift-JIS, SJIS, x-sjis,
//   Windows-31J, CP932, MS932, MS_Kanji, csShiftJIS) is kept as it stands,
//   byte for byte; only what is no code page 932 character becomes "〓". Such
//   text that holds ISO-2022-JP escapes is ISO-2022-JP in disguise and is
//   converted as that.
// - Every other charset goes through iconv, to UTF-8 and on to code page 932;
//   a few labels are read as the superset mailers really mean by them
//   (ISO-8859-1 as Windows-1252, GB2312 and GBK as GB18030, EUC-KR as CP949,
//   EUC-JP as EUC-JP-MS). A byte order mark at the start is dropped.
//   UTF-7 is read under its labels utf-7 and unicode-1-1-utf-7.
// - An empty or unknown label, a 7-bit label (US-ASCII, ISO-2022-JP) on text
//   with 8-bit bytes, and a UTF-8 label on text that is not UTF-8 are settled
//   by detect_charset. 7-bit text with ISO-2022-JP escapes under any
//   ASCII-compatible label is ISO-2022-JP.
// - Text that is not valid in its label (Shift_JIS or one iconv reads) but is
//   well-formed UTF-8 is read as UTF-8: mailers send UTF-8 under the label of
//   their user's code. Other such text under a label that does not keep ASCII
//   (UTF-16, UTF-7, EBCDIC), and 7-bit text without any NUL byte under a
//   16- or 32-bit form of Unicode (which it cannot be), are settled by
//   detect_charset, so that their ASCII at least shows.
// Pure ASCII text is copied (with only the "&#" rule above applied).
// Time and memory are linear in the text.
std::string to_sjis(std::string_view bytes, std::string_view charset);
// The same into out (replacing what it held), reusing its storage.
void to_sjis_to(std::string_view bytes, std::string_view charset, std::string& out);

// The charset of unlabelled text, by this rule, first match wins:
//   1. an ISO-2022-JP escape sequence (ESC $ B, ESC $ @, ESC & @, ESC $ ( D,
//      ESC ( B, ESC ( J, ESC ( I) anywhere: "ISO-2022-JP";
//   2. no byte of 0x80 or above: "US-ASCII";
//   3. UTF-8, allowing a little damage (a cut or stray byte): more
//      well-formed multi-byte characters than ill-formed sequences: "UTF-8";
//   4. "EUC-JP" when read as EUC-JP (pairs of 0xA1-0xFE, 0x8E with a
//      half-width katakana byte, 0x8F with a pair) the text has fewer bytes
//      that fit nothing than read as Shift_JIS (code page 932 pairs and
//      half-width katakana), or as many and more double-byte characters;
//   5. otherwise "Shift_JIS", the archive's own code.
// Returns one of the five names above (static storage).
std::string_view detect_charset(std::string_view bytes);

// Whether the text is valid in the MIME charset: every byte forms a character
// of it. Shift_JIS holds only the characters of code page 932 outside its
// user-defined rows (lead bytes 0xF0-0xF9); US-ASCII and ISO-2022-JP hold no
// 8-bit byte; an empty or unknown label is valid for no text.
bool valid_in(std::string_view bytes, std::string_view charset);

// The charset to read raw 8-bit text of a header field by (text that is no
// encoded word), given the charset that the message's first text part names
// (fallback, possibly empty). Mail readers read such text in the charset of
// the message; Japanese mail sends it in Shift_JIS or EUC-JP whatever its
// label says. When fallback names a charset other than US-ASCII, UTF-8 and
// the Japanese codes (Big5, GB2312, ISO-8859-x, KOI8-R...):
//   1. "UTF-8" when the text is well-formed UTF-8;
//   2. fallback when the text is valid in it, or valid in neither Shift_JIS
//      nor EUC-JP (its broken bytes then become geta marks);
//   3. otherwise what detect_charset finds (Shift_JIS or EUC-JP).
// Without such a fallback, what detect_charset finds.
std::string raw_text_charset(std::string_view bytes, std::string_view fallback);

// The way back for text that is no page (a file name): Shift_JIS as to_sjis
// writes it to UTF-8, every reference "&#N;" (N decimal, a Unicode scalar
// value) becoming its character, "&#38;" the "&" before a literal "#".
// Anything else that looks like a reference stays as written.
std::string sjis_refs_to_utf8(std::string_view sjis);
// The reference at s[at] as sjis_refs_to_utf8 reads it ("&#", one to seven
// digits, ";", a Unicode scalar value other than 0): its character, and end
// set past its ";"; 0 (end unchanged) where none starts there.
char32_t sjis_reference_at(std::string_view s, std::size_t at, std::size_t& end);
