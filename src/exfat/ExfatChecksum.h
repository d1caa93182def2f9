// The rotate-and-add checksum step exFAT uses for its boot region, up-case table and entry sets.
#pragma once

#include <cstdint>

namespace tarvosk {

constexpr std::uint32_t exfatChecksumStep32(std::uint32_t checksum, std::uint8_t byte) {
  return ((checksum & 1) ? 0x80000000u : 0) + (checksum >> 1) + byte;
}

constexpr std::uint16_t exfatChecksumStep16(std::uint16_t checksum, std::uint8_t byte) {
  return static_cast<std::uint16_t>(((checksum & 1) ? 0x8000u : 0) + (checksum >> 1) + byte);
}

}  // namespace tarvosk
