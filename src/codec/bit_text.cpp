#include "codec/transfer_codings.h"

std::string Byte_To_Bits(int value) {
  const unsigned low = static_cast<unsigned>(value) & 0xFFu;
  std::string bits(8, '0');
  for (int k = 0; k < 8; ++k)
    if (low & (0x80u >> k)) bits[k] = '1';
  return bits;
}

std::uint64_t Bits_To_Num(std::string_view bits) {
  std::uint64_t value = 0;
  for (char c : bits) value = (value << 1) | (c == '1' ? 1u : 0u);
  return value;
}
