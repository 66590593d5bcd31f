// GLPI's answer classified from any status and body. Accepted only with status 200 and a body that
// a full JSON parser also takes for an object; the reason is one console line of bounded length.
//
// Input: a 16-bit status (from the end), then the body (the rest of the input).
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "report/glpi_send.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const auto Status = In.ConsumeIntegral<std::uint16_t>();
  const std::string Body = In.ConsumeRemainingBytesAsString();
  const TGlpiAnswer Answer = ClassifyGlpiAnswer(Status, Body);
  if (Answer.Accepted) {
    fuzz::Check(Status == 200, "accepted with a status other than 200");
    // The parser refuses a number too large for a double, which the grammar allows: a body it
    // stops at for that alone is not held against the classifier.
    bool Json = nlohmann::json::accept(Body);
    if (!Json) {
      try {
        static_cast<void>(nlohmann::json::parse(Body));
      } catch (const nlohmann::json::exception& Error) {
        Json = std::string_view(Error.what()).find("number overflow") != std::string_view::npos;
      }
    }
    const std::size_t First = Body.find_first_not_of(" \t\r\n");
    fuzz::Check(Json && First != std::string::npos && Body[First] == '{',
                "accepted a body that is no JSON object");
    fuzz::Check(Answer.Reason.empty(), "a reason for an accepted inventory", Answer.Reason);
  } else {
    fuzz::Check(!Answer.Reason.empty(), "refused without a reason");
  }
  for (const char16_t C : Answer.Reason) {
    fuzz::Check(C >= u' ' && C != 0x7F, "a control character in the reason", Answer.Reason);
  }
  fuzz::Check(Answer.Reason.size() < 400, "a reason longer than a console line", Answer.Reason);
  return 0;
}
