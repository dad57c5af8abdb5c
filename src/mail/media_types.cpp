#include "mail/media_types.h"

#include <fstream>
#include <iterator>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool plain_extension(std::string_view ext) {
  if (ext.empty() || ext.size() > 16) return false;
  for (char c : ext) {
    const char l = lower(c);
    if (!((l >= 'a' && l <= 'z') || (l >= '0' && l <= '9') || l == '-' || l == '_' || l == '+')) return false;
  }
  return true;
}

// The next blank-separated word of line from pos on; empty at its end.
std::string_view next_word(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  const std::size_t from = pos;
  while (pos < line.size() && !is_blank(line[pos])) ++pos;
  return line.substr(from, pos - from);
}

}  // namespace

MediaTypes MediaTypes::parse(std::string_view text) {
  MediaTypes table;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    std::size_t pos = 0;
    const std::string_view type = next_word(line, pos);
    if (type.empty() || type[0] == '#') continue;
    std::string key(type);
    for (char& c : key) c = lower(c);
    if (table.first_.count(key)) continue;
    for (std::string_view ext = next_word(line, pos); !ext.empty(); ext = next_word(line, pos)) {
      if (!plain_extension(ext)) continue;
      std::string value(ext);
      for (char& c : value) c = lower(c);
      table.first_.emplace(std::move(key), std::move(value));
      break;
    }
  }
  return table;
}

MediaTypes MediaTypes::read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return MediaTypes();
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parse(text);
}

std::string_view MediaTypes::extension(std::string_view type) const {
  const auto it = first_.find(std::string(type));
  if (it != first_.end()) return it->second;
  // Types of the traditional table that a system's copy may lack (Debian's
  // has no text/richtext) or that a system without the file still knows.
  static const struct {
    const char* type;
    const char* ext;
  } usual[] = {{"audio/basic", "au"},
               {"text/richtext", "rtx"},
               {"audio/x-wav", "wav"},
               {"audio/x-aiff", "aif"},
               {"audio/midi", "mid"},
               {"video/mpeg", "mpeg"},
               {"video/quicktime", "qt"},
               {"video/x-msvideo", "avi"},
               {"application/rtf", "rtf"},
               {"application/postscript", "ps"},
               {"application/x-tar", "tar"},
               {"application/x-lzh", "lzh"},
               {"text/csv", "csv"},
               {"text/xml", "xml"},
               {"application/octet-stream", "bin"}};
  for (const auto& u : usual)
    if (type == u.type) return u.ext;
  return {};
}

const MediaTypes& system_media_types() {
  static const MediaTypes table = MediaTypes::read("/etc/mime.types");
  return table;
}
