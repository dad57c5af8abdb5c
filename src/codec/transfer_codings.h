// Decoders for the transfer encodings of mail: MIME encoded words in header
// text, quoted-printable body lines, Base64 and uuencoded attachment lines.
//
// All are plain functions without state between calls. None rejects input:
// every malformed text decodes to something, as described on each function.
// Text is walked in Shift_JIS characters: a double-byte character counts as one
// character of a group and is never part of an alphabet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The bytes of one group of (up to) four encoded characters, and the number of
// bytes the group stands for: 3 when its fourth character is not "=", else 2
// when its third is not "=", else 1 (a group shorter than four counts 3).
struct GroupBytes {
  std::string bytes;
  int count = 0;
};

// Base64 alphabet; "=" is value 64. A character outside it has value -1, a
// missing character (a group shorter than four) value 0.
inline constexpr std::string_view kBase64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

// Header-text group decoder. With values a, b, c, d:
//   first  = ((a mod 64) * 4) OR (low 8 bits of b) / 16
//   second = ((b mod 16) * 16) OR (low 8 bits of c) / 4
//   third  = ((c mod 4) * 64) OR d      (d unreduced: -1 makes the byte -1)
// Only the bytes greater than 0 are kept, in that order. For valid Base64 with
// correct "=" endings this is the standard bytes without zero bytes.
GroupBytes B64_Text_Group(std::string_view group);

// Attachment group decoder: each value reduced to its low six bits (so -1
// acts as 63 and "=" as 0), then the standard three bytes, zero bytes kept.
// bytes always holds three bytes; count is the group byte count.
GroupBytes B64_Bin_Group(std::string_view group);

// Uuencode group decoder: a character's value is its code minus 32, reduced to
// six bits (so "`" and " " are both 0; a missing character is 0); then the
// standard three bytes. bytes always holds three bytes, count is always 3.
GroupBytes UU_Group(std::string_view group);

// The 8 binary digits of value's low 8 bits, most significant first.
std::string Byte_To_Bits(int value);

// The value of a text of binary digits: each "1" at 1-based position k of a
// text of length L adds 2^(L-k); other characters add nothing. Only the low
// 64 bits of longer texts are kept.
std::uint64_t Bits_To_Num(std::string_view bits);

// A raw header field value (already unfolded: line breaks removed, the
// blanks kept) to Shift_JIS, by the rules of to_sjis (charsets.h), "&#"
// convention included. Loose, for the breakage of Japanese mailers.
// Grammar:
//   value   = *( word / text )
//   word    = "=?" charset [ "*" language ] "?" ( "B" / "Q" ) "?" payload "?="
//   charset = 1*( printable ASCII except blank and "?" ), any letter case
// A word may stand anywhere, inside a quoted string (the quotes stay) or
// right against other text. B is Base64, Q has "_" for a space and "=XX"
// (either case) for a byte; "=" without two hexadecimal digits stays "=".
// - Linear white space between two words goes; other text between them, and
//   blanks between a word and text, stay.
// - Neighbouring words of one charset (letter case aside) have their bytes
//   joined before conversion, so a character or an ISO-2022-JP escape cut
//   between two words decodes whole; the ISO-2022-JP mode runs on from word
//   to word.
// - Raw text with 8-bit bytes (Shift_JIS, UTF-8, EUC-JP) is read in the
//   charset raw_text_charset finds for all such text of the value together,
//   given fallback, the charset the message's first text part names (a
//   Big5 or KOI8-R subject written raw by the mailer of a Big5 or KOI8-R
//   text);
//   7-bit raw text with ISO-2022-JP escapes goes through Jis_To_Sjis, and no
//   word is looked for inside its two-byte text (whose pairs may spell "=?")
//   up to its closing escape or a blank.
// Tolerated: a word without "?=" ends at the next blank or the end of the
// text (a Q word at the next blank only when no "?=" follows before another
// "=?": some mailers put raw blanks in Q words) and decodes what it holds,
// nothing after it is lost; Base64 without padding or of any length decodes
// every whole byte, and an "=" inside it starts afresh. A B payload with a
// character outside Base64, an empty charset or another encoding letter is
// no word and stays as written.
// The result holds no CR, LF or NUL: a line break decoded inside a word
// becomes a space, raw ones and NUL bytes are dropped. TABs stay.
// State: none between calls. Time is linear in the text.
std::string Decode_Header(std::string_view text, std::string_view fallback = {});

// Decodes one quoted-printable line (soft line breaks already joined by the
// caller): "=" and the two characters after it become the byte that their
// leading hexadecimal digits spell (none spells 0, so a lone "=" at the end
// gives the byte 0); other characters are copied. The result goes through
// Jis_To_Sjis, so escaped ISO-2022-JP text comes out as Shift_JIS.
std::string QP_Line(std::string_view line);

// Decodes the quoted-printable text of a whole MIME part: "=" and two
// hexadecimal digits (either case) become their byte; "=" before LF or CR LF
// is a soft line break and goes with it; an "=" followed by two other
// characters is kept with them as written, and an "=" the text ends within
// one or two characters after is dropped with them. Everything else is
// copied; blanks at line ends are the caller's. Linear in the text.
std::string qp_decode_body(std::string_view text);

// Decodes one line of Base64 attachment data, four characters at a time with
// B64_Bin_Group, appending each group's first count bytes. Characters outside
// the alphabet, spaces included, are not skipped: they decode as 63.
std::string B64_Line(std::string_view line);
// The same, appended to out.
void b64_line_append(std::string_view line, std::string& out);

// Decodes the Base64 data of a whole MIME part: characters outside the
// alphabet (line ends, blanks, stray bytes) are skipped, as RFC 2045 wants;
// the first "=" ends the data. A short last group gives the bytes its bits
// fill. Linear in the text.
std::string base64_decode(std::string_view text);

// Decodes the characters of one uuencoded line (without its length character)
// four at a time with UU_Group. A full group gives three bytes; a shorter last
// group of k characters gives only the bytes its 6k bits hold (k - 1 bytes),
// so the result never holds more than the line encodes. The caller cuts it to
// the line's length character.
std::string UU_Line(std::string_view line);
