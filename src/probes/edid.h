// A monitor's EDID, the block of bytes it describes itself with (VESA EDID 1.3 and 1.4): what a
// GLPI inventory shows of the monitor. A pure function over the bytes, so any bytes are safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct TEdidMonitor {
  std::u16string Manufacturer;  // the maker's name where it is a common one, else its PNP ID
  std::u16string Name;          // the monitor-name descriptor
  std::u16string Serial;        // the serial-number descriptor, else the numeric serial
  std::u16string Description;   // "week/year" of manufacture, or the year alone
  std::string Base64;           // the 128-byte base block
};

// The monitor the base block at the start of Bytes describes; nothing when Bytes is shorter than
// a block, or the block's header or checksum is wrong. Texts that are empty were not found.
std::optional<TEdidMonitor> ParseEdid(std::span<const std::uint8_t> Bytes);

// Standard base64 with padding.
std::string Base64(std::span<const std::uint8_t> Bytes);
