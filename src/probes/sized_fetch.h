// Lists the system hands over in two calls, one for the size and one for the data. The list can
// grow in between (a printer connection mapped by a logon script, a VPN adapter coming up), and
// the fetch then fails asking for more: it is asked again with the size it gave, a few times,
// before that counts as a failure.
#pragma once

#include <cstdint>
#include <vector>

enum class TFetch { Done, TooSmall, Failed };

inline constexpr int FetchAttempts = 5;

// Fills Buffer with Fetch(Buffer, Size), Buffer zero-filled to Size bytes first; Fetch answers
// TooSmall with Size set to the bytes the list needs now. True when a fetch succeeded.
template <typename TCall>
bool FetchGrowing(std::vector<std::uint8_t>& Buffer, std::uint32_t& Size, TCall&& Fetch) {
  for (int Attempt = 0; Attempt < FetchAttempts; ++Attempt) {
    Buffer.assign(Size, 0);
    const TFetch Result = Fetch(Buffer, Size);
    if (Result != TFetch::TooSmall) return Result == TFetch::Done;
  }
  return false;
}
