#include "text/file_stream.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/platform.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/sys_utils.h"

TFileStream::TFileStream(std::u16string_view FileName) {
  const std::u16string Name{FileName};
  FHandle.Reset(platform::CreateFileW(Name.c_str(), platform::GenericRead | platform::GenericWrite,
                                      0, nullptr, platform::CreateAlways,
                                      platform::FileAttributeNormal, platform::NullHandle));
  if (!FHandle.IsValid()) {
    // The reason is taken before resolving the path, so that call cannot overwrite it.
    const std::uint32_t Error = platform::GetLastError();
    throw EFCreateError(
        Format(u"Cannot create file \"%s\". %s", {ExpandFileName(Name), SysErrorMessage(Error)}));
  }
}

void TFileStream::WriteBuffer(std::string_view Bytes) {
  while (!Bytes.empty()) {
    const auto Chunk = static_cast<std::uint32_t>(
        std::min<std::size_t>(Bytes.size(), std::numeric_limits<std::int32_t>::max()));
    std::uint32_t Written = 0;
    if (platform::WriteFile(FHandle.Get(), Bytes.data(), Chunk, &Written, nullptr) == 0 ||
        Written == 0) {
      const std::uint32_t Error = platform::GetLastError();
      std::u16string Message = u"Stream write error";
      if (Error != 0) Message += u": " + SysErrorMessage(Error);
      throw EWriteError(Message);
    }
    Bytes.remove_prefix(std::min<std::size_t>(Written, Bytes.size()));
  }
}
