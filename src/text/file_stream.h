// A file created for writing, held exclusively until it is closed.
#pragma once

#include <string_view>

#include "platform/scoped_resource.h"

class TFileStream {
 public:
  // Creates (or empties) the file for reading and writing, shared with no one. Raises
  // EFCreateError naming the full path and the system's reason when that fails.
  explicit TFileStream(std::u16string_view FileName);

  // Writes every byte, continuing after short writes; raises EWriteError when a write transfers
  // nothing. What was written before stays in the file.
  void WriteBuffer(std::string_view Bytes);

 private:
  platform::ScopedFileHandle FHandle;
};
