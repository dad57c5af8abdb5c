// The system's table of media types and the file extensions that go with
// them (Debian's media-types package installs it as /etc/mime.types).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

class MediaTypes {
 public:
  // Reads a table in the format of mime.types: a media type, then its
  // extensions, separated by blanks or TABs; a line starting "#" is a
  // comment; a type without extensions gives none. Types are matched in
  // lower case. Of a type listed twice the first line with an extension
  // counts; an extension that is no plain word (letters, digits, "-", "_",
  // "+"; at most 16 characters) is skipped.
  static MediaTypes parse(std::string_view text);
  // The table of a file; empty when the file is missing or unreadable.
  static MediaTypes read(const std::string& path);

  // The first extension listed for a lower-case media type, without its
  // dot, in lower case; for a type the table lacks, that of a short list of
  // usual types (audio/basic "au", text/richtext "rtx"...), so that a
  // missing file still gives them; empty when neither knows the type.
  std::string_view extension(std::string_view type) const;

 private:
  std::unordered_map<std::string, std::string> first_;
};

// The table of /etc/mime.types, read once, the first time it is asked for.
const MediaTypes& system_media_types();
