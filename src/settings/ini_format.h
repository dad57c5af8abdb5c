// The layout of "vorn_htm.ini" shared by its readers and writers: the 25 keys
// in file order, how a line is recognised, and the 55 lines both writers emit.
//
// Line grammar (Shift_JIS, one item per line):
//   key line   = KEY "=" value   KEY: exactly seven characters, compared
//                                case-sensitively with the keys below
//   anything else (the section line, "#" comments, blank lines, unknown keys,
//   a key preceded by blanks or written in lower case) is ignored.
// The eighth character is never examined, so "S_TITLE:1" sets S_TITLE too;
// the value is everything from the ninth character to the end of the line,
// untrimmed. Characters are Shift_JIS characters: a double-byte eighth
// character moves the value one byte further.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum class IniKey {
  S_TITLE,
  TITLE_D,
  MN_SUBJ,
  MN_DATE,
  MN_HASN,
  MN_ADRS,
  BGR_COL,
  TXT_COL,
  LNK_COL,
  VLK_COL,
  FT_SIZE,
  ML_RANK,
  SBJ_KAK,
  SBJ_RES,
  REP_COL,
  REP_MRK,
  FRM_KOU,
  KB_SUBJ,
  KB_DATE,
  KB_FROM,
  KB_TOTO,
  KB_THRE,
  DAT_FMT,
  TE_FILE,
  ITI_PER,
};
inline constexpr std::size_t kIniKeyCount = 25;

// One value text per key, in IniKey order.
using IniValues = std::array<std::string, kIniKeyCount>;
inline std::string& value_of(IniValues& v, IniKey k) { return v[static_cast<std::size_t>(k)]; }

// "vorn_htm.ini" in the program folder.
std::string ini_path(const std::string& App_Dir);

// The key a line sets, or nothing for a line every reader skips.
std::optional<IniKey> ini_key_of(std::string_view line);
// The value of a key line: the line from its ninth character on.
std::string_view ini_value(std::string_view line);
// Ordinary switches are on when the ninth character is "1"; FRM_KOU only when
// the whole value is "1".
bool ini_switch_on(std::string_view line);
bool ini_frm_kou_on(std::string_view line);

// The whole file: 55 lines, each ended by CR LF. values hold the text after
// "=" for every key (switches "1"/"0", colours with their "#"). saved picks
// the wording of the settings screen's save for the attachment comment line;
// otherwise the new-file wording is used. Line breaks inside a value would
// start lines of their own in the file, so CR and LF are left out of values.
std::string ini_file_text(const IniValues& values, bool saved);

// Literal texts of the file in Shift_JIS.
const std::string& ini_default_title_d();  // "はじめまして,こんにちは,こんばんわ"
