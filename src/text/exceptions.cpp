#include "text/exceptions.h"

#include "text/format.h"

namespace {

std::u16string InOutMessage(std::uint32_t Code) {
  switch (Code) {
    case 2: return u"File not found";
    case 3: return u"Invalid filename";
    case 4: return u"Too many open files";
    case 5: return u"File access denied";
    case 100: return u"Read beyond end of file";
    case 101: return u"Disk full";
    case 106: return u"Invalid numeric input";
    default: return Format(u"I/O error %d", {static_cast<std::int64_t>(Code)});
  }
}

}  // namespace

EInOutError::EInOutError(std::uint32_t Code) : Exception(InOutMessage(Code)), ErrorCode(Code) {}

void RaiseRangeError() { throw ERangeError(u"Range check error"); }

void RaiseIntOverflow() { throw EIntOverflow(u"Integer overflow"); }
