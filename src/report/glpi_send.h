// Delivering the GLPI inventory to the server itself, as GLPI's own agent does: one POST of the
// document to the site's inventory endpoint through WinHTTP, bounded in time, and GLPI's answer
// read for what it says rather than for its status code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A GLPI site as typed in a browser, and where its inventory endpoint is.
struct TGlpiServer {
  bool Secure = false;
  std::u16string Host;     // as WinHttpConnect takes it
  std::uint16_t Port = 0;  // 0: the scheme's own
  std::u16string Path;     // the endpoint: "/glpi/front/inventory.php"
  bool HasCredentials = false;
  std::u16string User;  // Basic credentials, given when the server asks for them
  std::u16string Password;
  std::u16string Shown;  // the endpoint's address, the user kept and the password left out
};

// "http://" or "https://" (any letter case), a host, an optional port (1 to 65535) and an
// optional path; "user:password@" before the host, with %XX escapes for ASCII characters. A path
// that ends in ".php" is the endpoint itself; any other gets "front/inventory.php" after it.
// Nothing for any other form: another scheme, no host, a blank or control character, a query or
// fragment, a backslash.
std::optional<TGlpiServer> ParseGlpiServer(std::u16string_view Url);

// A tag GLPI's entity rules can sort by: 1 to 255 characters, none of them a control character.
bool IsGlpiTag(std::u16string_view Tag);

struct TGlpiAnswer {
  bool Accepted = false;
  std::u16string Reason;  // why not, in one line
};

// What an answer of GLPI's inventory endpoint says: accepted only with status 200 and a JSON
// object that GLPI gives for an inventory it took ({"RESPONSE":"SEND"}, or a "status" that is not
// "error"). Otherwise the reason carries GLPI's message, else the body's first line, cleaned.
TGlpiAnswer ClassifyGlpiAnswer(std::uint32_t Status, std::string_view Body);

// The limits of one delivery, in milliseconds, on the system's tick count.
namespace glpi_send_limits {
constexpr int Resolve = 10000;
constexpr int Connect = 10000;
constexpr int Send = 20000;
constexpr int Answer = 120000;  // GLPI imports the inventory before it answers
constexpr int Attempts = 3;     // for a connection that cannot be made
constexpr int Pause = 5000;     // between those attempts
constexpr int Whole = 170000;   // nothing goes on after this
constexpr int Least = 5000;     // an attempt with less time than this left is not made
}  // namespace glpi_send_limits

struct TGlpiDelivery {
  bool Sent = false;
  std::u16string Reason;  // why not, in one line, without the password
};

// Posts Json (UTF-8) to the server's endpoint. Never raises for what the network or the server
// does; ends within the limits above.
TGlpiDelivery SendGlpiInventory(std::string_view Json, const TGlpiServer& Server);
