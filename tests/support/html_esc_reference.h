// Html_Esc by its plain rule, a byte at a time, for the tests that compare
// the real one with it: every "<" and ">" becomes its entity, and every "&"
// but one that starts a numeric character reference ("&#", one to eight
// digits, ";"). None of these bytes is ever the second byte of a double-byte
// character.
#pragma once

#include <string>
#include <string_view>

inline std::string Html_Esc_Reference(std::string_view text) {
  const auto starts_reference = [&](std::size_t i) {
    std::size_t k = i + 2;
    if (k >= text.size() || text[i + 1] != '#') return false;
    while (k < text.size() && k - i < 10 && text[k] >= '0' && text[k] <= '9') ++k;
    return k > i + 2 && k < text.size() && text[k] == ';';
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&' && !starts_reference(i))
      out += "&amp;";
    else
      out += c;
  }
  return out;
}
