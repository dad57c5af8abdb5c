// Reads the search index of an archive as the search page does, written
// apart from the program's own readers: which pages a query of given tokens
// finds. Tests give the tokens by hand.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class SearchReader {
 public:
  explicit SearchReader(const std::string& folder) : dir_(folder + "/srch") {
    const std::string ix = slurp(dir_ + "/ix.js");
    std::smatch m;
    if (!std::regex_search(ix, m, std::regex(R"(^vorn_ix\(\{"v":[12],"shards":(\d+),"segs":\[)"))) return;
    shards_ = std::stoul(m[1]);
    const std::regex seg(
        R"re(\{"id":"(\d+)","docs":(\d+),"chunks":(\d+),"gone":\{([^}]*)\}(,"chunk_docs":(\d+))?\})re");
    for (auto it = std::sregex_iterator(ix.begin(), ix.end(), seg); it != std::sregex_iterator(); ++it) {
      Segment s{
          (*it)[1], std::stoul((*it)[2]), std::stoul((*it)[3]), {}, (*it)[6].matched ? std::stoul((*it)[6]) : 500ul};
      const std::string gone = (*it)[4];
      const std::regex entry(R"re("(\d+)":"([0-9a-z,]*|~[0-9a-z]+\.[A-Za-z0-9_-]*)")re");
      for (auto g = std::sregex_iterator(gone.begin(), gone.end(), entry); g != std::sregex_iterator(); ++g)
        s.gone[(*g)[1]] = list((*g)[2]);
      segs_.push_back(s);
    }
  }

  bool present() const { return shards_ > 0; }
  std::size_t segments() const { return segs_.size(); }
  // The docs per docs file of segment s, and its docs files.
  unsigned long chunk_docs(std::size_t s) const { return segs_[s].chunk_docs; }
  unsigned long chunks(std::size_t s) const { return segs_[s].chunks; }
  unsigned long shards() const { return shards_; }

  // The pages holding every token (UTF-8), as the page lists them.
  std::set<unsigned> find(const std::vector<std::string>& tokens) const {
    std::set<unsigned> pages;
    for (std::size_t s = 0; s < segs_.size(); ++s) {
      std::set<unsigned> docs;
      for (std::size_t t = 0; t < tokens.size(); ++t) {
        const std::set<unsigned> with = docs_of(segs_[s], tokens[t]);
        if (t == 0) {
          docs = with;
        } else {
          std::set<unsigned> both;
          for (unsigned d : docs)
            if (with.count(d)) both.insert(d);
          docs = both;
        }
      }
      for (std::size_t later = s + 1; later < segs_.size(); ++later) {
        auto g = segs_[later].gone.find(segs_[s].id);
        if (g != segs_[later].gone.end())
          for (unsigned d : g->second) docs.erase(d);
      }
      const std::vector<unsigned> page_of = pages_of(segs_[s]);
      for (unsigned d : docs) pages.insert(d < page_of.size() ? page_of[d] : 0xffffffffu);
    }
    return pages;
  }

  // A doc list in either spelling: gaps ("3,1,10": 3, 4, 40 in base 36) or
  // a bitmap ("~3.w": 3, then six docs after it to a character of
  // A-Z a-z 0-9 - _, bit 32 the earliest).
  static std::vector<unsigned> list(const std::string& text) {
    if (!text.empty() && text[0] == '~') return bitmap(text);
    std::vector<unsigned> out;
    unsigned long total = 0;
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t comma = text.find(',', at);
      if (comma == std::string::npos) comma = text.size();
      total += std::stoul(text.substr(at, comma - at), nullptr, 36);
      out.push_back(static_cast<unsigned>(total));
      at = comma + 1;
    }
    return out;
  }

  static std::vector<unsigned> bitmap(const std::string& text) {
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    const std::size_t dot = text.find('.');
    const unsigned first = static_cast<unsigned>(std::stoul(text.substr(1, dot - 1), nullptr, 36));
    std::vector<unsigned> out{first};
    for (std::size_t k = dot + 1; k < text.size(); ++k) {
      const std::size_t v = digits.find(text[k]);
      if (v == std::string::npos || dot == std::string::npos) throw std::runtime_error("bad bitmap " + text);
      for (unsigned b = 0; b < 6; ++b)
        if (v & (32u >> b)) out.push_back(first + 1 + 6 * static_cast<unsigned>(k - dot - 1) + b);
    }
    return out;
  }

  static std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  struct Segment {
    std::string id;
    unsigned long docs, chunks;
    std::map<std::string, std::vector<unsigned>> gone;
    unsigned long chunk_docs;
  };

  // "\uXXXX" escapes of UTF-8 text, lower-case hex, surrogate pairs above
  // U+FFFF; printable ASCII as it is.
  static std::string escaped(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
      const auto b = static_cast<unsigned char>(utf8[i]);
      const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      std::uint32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
      for (int k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      i += n;
      char buf[16];
      if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
        out += static_cast<char>(c);
      } else if (c < 0x10000) {
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        std::snprintf(buf, sizeof buf, "\\u%04x\\u%04x", 0xD800 + ((c - 0x10000) >> 10),
                      0xDC00 + ((c - 0x10000) & 0x3FF));
        out += buf;
      }
    }
    return out;
  }

  std::set<unsigned> docs_of(const Segment& s, const std::string& token) const {
    std::uint32_t h = 2166136261u;
    for (char c : token) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    const std::string part = slurp(dir_ + "/" + s.id + "_" + std::to_string(h % shards_) + ".js");
    const std::string key = "\"" + escaped(token) + "\":\"";
    const std::size_t at = part.find(key);
    if (at == std::string::npos) return {};
    const std::size_t from = at + key.size();
    const std::vector<unsigned> docs = list(part.substr(from, part.find('"', from) - from));
    return std::set<unsigned>(docs.begin(), docs.end());
  }

  std::vector<unsigned> pages_of(const Segment& s) const {
    std::vector<unsigned> pages;
    for (unsigned long c = 0; c < s.chunks; ++c) {
      const std::string docs = slurp(dir_ + "/" + s.id + "_d" + std::to_string(c) + ".js");
      const std::regex row(R"(\n\[(\d+),")");
      for (auto it = std::sregex_iterator(docs.begin(), docs.end(), row); it != std::sregex_iterator(); ++it)
        pages.push_back(static_cast<unsigned>(std::stoul((*it)[1])));
      // The page finds doc d in file d / chunk_docs: a file of another
      // length shifts every doc after it.
      if (pages.size() != std::min((c + 1) * s.chunk_docs, s.docs)) return {};
    }
    return pages;
  }

  std::string dir_;
  unsigned long shards_ = 0;
  std::vector<Segment> segs_;
};
