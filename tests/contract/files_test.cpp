// Creating, sharing and reading back files, and resolving paths: what saving the report relies on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/test_support.h"

namespace {

using platform::Handle;
using platform::InvalidHandleValue;

// The way the report is created: read-write, not shared, replacing any earlier file.
Handle CreateReport(const std::u16string& Path) {
  return platform::CreateFileW(Path.c_str(), platform::GenericRead | platform::GenericWrite, 0,
                               nullptr, platform::CreateAlways, platform::FileAttributeNormal,
                               platform::NullHandle);
}

std::uint32_t Write(Handle File, std::string_view Bytes) {
  std::uint32_t Written = 0;
  EXPECT_NE(platform::WriteFile(File, Bytes.data(), static_cast<std::uint32_t>(Bytes.size()),
                                &Written, nullptr),
            0);
  return Written;
}

std::string ReadBack(const std::u16string& Path) {
  const Handle File = platform::CreateFileW(
      Path.c_str(), platform::GenericRead, platform::FileShareRead, nullptr, platform::OpenExisting,
      platform::FileAttributeNormal, platform::NullHandle);
  if (File == InvalidHandleValue) return "<cannot open>";
  std::string Data(256, '\0');
  std::uint32_t Read = 0;
  const platform::Bool Ok = platform::ReadFile(
      File, Data.data(), static_cast<std::uint32_t>(Data.size()), &Read, nullptr);
  platform::CloseHandle(File);
  Data.resize(Ok != 0 ? Read : 0);
  return Data;
}

TEST(FilesContract, CreateAlwaysMakesANewFileAndTruncatesAnExistingOne) {
  const std::u16string Path = platform::testing::MakeScratchDirectory() + u"\\report.txt";
  platform::testing::SetLastError(platform::ErrorAccessDenied);
  Handle File = CreateReport(Path);
  std::uint32_t Error = platform::GetLastError();
  ASSERT_NE(File, InvalidHandleValue);
  EXPECT_EQ(Error, platform::ErrorSuccess);
  EXPECT_EQ(platform::GetFileType(File), platform::FileTypeDisk);
  EXPECT_EQ(Write(File, "a first version, longer"), 23u);
  EXPECT_NE(platform::CloseHandle(File), 0);

  File = CreateReport(Path);
  Error = platform::GetLastError();
  ASSERT_NE(File, InvalidHandleValue);
  EXPECT_EQ(Error, platform::ErrorAlreadyExists);
  EXPECT_EQ(Write(File, "second"), 6u);
  EXPECT_NE(platform::CloseHandle(File), 0);
  EXPECT_EQ(ReadBack(Path), "second");
}

TEST(FilesContract, AFileHeldWithoutSharingCannotBeOpenedAgainUntilClosed) {
  const std::u16string Path = platform::testing::MakeScratchDirectory() + u"\\held.txt";
  const Handle Held = CreateReport(Path);
  ASSERT_NE(Held, InvalidHandleValue);
  // A reader that shares everything is turned away as much as a second writer is.
  const struct {
    const char* Name;
    std::uint32_t Access, ShareMode, Disposition;
  } Openers[] = {
      {"shared reader", platform::GenericRead, platform::FileShareRead | platform::FileShareWrite,
       platform::OpenExisting},
      {"second report", platform::GenericRead | platform::GenericWrite, 0, platform::CreateAlways},
  };
  for (const auto& Opener : Openers) {
    SCOPED_TRACE(Opener.Name);
    const Handle Second = platform::CreateFileW(
        Path.c_str(), Opener.Access, Opener.ShareMode, nullptr, Opener.Disposition,
        platform::FileAttributeNormal, platform::NullHandle);
    const std::uint32_t Error = platform::GetLastError();
    EXPECT_EQ(Second, InvalidHandleValue);
    EXPECT_EQ(Error, platform::ErrorSharingViolation);
    if (Second != InvalidHandleValue) platform::CloseHandle(Second);
  }
  EXPECT_NE(platform::CloseHandle(Held), 0);

  const Handle Again = CreateReport(Path);
  EXPECT_NE(Again, InvalidHandleValue);
  if (Again != InvalidHandleValue) platform::CloseHandle(Again);
}

TEST(FilesContract, AFileInAMissingFolderIsAPathError) {
  const std::u16string Path = platform::testing::MakeScratchDirectory() + u"\\missing\\report.txt";
  const Handle File = CreateReport(Path);
  const std::uint32_t Error = platform::GetLastError();
  EXPECT_EQ(File, InvalidHandleValue);
  EXPECT_EQ(Error, platform::ErrorPathNotFound);
  if (File != InvalidHandleValue) platform::CloseHandle(File);
}

TEST(FilesContract, FullPathNameResolvesDotsAndReportsTheRoomItNeeds) {
  const std::u16string Folder = platform::testing::MakeScratchDirectory();
  const std::u16string Given = Folder + u"\\sub\\.\\..\\.\\report.txt";
  const std::u16string Expected = Folder + u"\\report.txt";
  const auto Length = static_cast<std::uint32_t>(Expected.size());

  std::u16string Buffer(Expected.size() + 1, u'#');
  char16_t* FilePart = nullptr;
  EXPECT_EQ(platform::GetFullPathNameW(Given.c_str(), Length + 1, Buffer.data(), &FilePart),
            Length);
  EXPECT_EQ(Buffer, Expected + u'\0');
  EXPECT_EQ(FilePart, Buffer.data() + Folder.size() + 1);

  // Room for every character but not the NUL is still too small; the answer then counts the NUL.
  EXPECT_EQ(platform::GetFullPathNameW(Given.c_str(), Length, Buffer.data(), &FilePart),
            Length + 1);
  EXPECT_EQ(platform::GetFullPathNameW(Given.c_str(), 0, nullptr, nullptr), Length + 1);
}

// Saving puts a file in place only once it is whole: a new file that must not exist yet, written,
// flushed, closed, then moved over the earlier one.
TEST(FilesContract, ANewFileIsMovedOverAnEarlierOneInOneStep) {
  const std::u16string Folder = platform::testing::MakeScratchDirectory();
  const std::u16string Final = Folder + u"\\report.txt";
  const std::u16string Temporary = Folder + u"\\report.txt.1-0.tmp";
  const auto CreateNew = [](const std::u16string& Path) {
    return platform::CreateFileW(Path.c_str(), platform::GenericWrite, 0, nullptr,
                                 platform::CreateNew, platform::FileAttributeNormal,
                                 platform::NullHandle);
  };
  constexpr std::uint32_t Replace =
      platform::MovefileReplaceExisting | platform::MovefileWriteThrough;

  Handle File = CreateReport(Final);
  ASSERT_NE(File, InvalidHandleValue);
  Write(File, "earlier");
  EXPECT_NE(platform::CloseHandle(File), 0);

  File = CreateNew(Temporary);
  ASSERT_NE(File, InvalidHandleValue);
  // A name that is taken is refused, never emptied.
  const Handle Again = CreateNew(Temporary);
  const std::uint32_t Taken = platform::GetLastError();
  EXPECT_EQ(Again, InvalidHandleValue);
  EXPECT_EQ(Taken, platform::ErrorFileExists);
  Write(File, "new");
  EXPECT_NE(platform::FlushFileBuffers(File), 0);
  // Still open: the rename waits for the close.
  EXPECT_EQ(platform::MoveFileExW(Temporary.c_str(), Final.c_str(), Replace), 0);
  const std::uint32_t Open = platform::GetLastError();
  EXPECT_EQ(Open, platform::ErrorSharingViolation);
  EXPECT_NE(platform::CloseHandle(File), 0);

  // Without the flag an existing file is not replaced.
  EXPECT_EQ(platform::MoveFileExW(Temporary.c_str(), Final.c_str(), 0), 0);
  const std::uint32_t Exists = platform::GetLastError();
  EXPECT_EQ(Exists, platform::ErrorAlreadyExists);
  EXPECT_EQ(ReadBack(Final), "earlier");

  // Someone holding the earlier file keeps it from being replaced.
  const Handle Held = platform::CreateFileW(Final.c_str(), platform::GenericRead, 0, nullptr,
                                            platform::OpenExisting, platform::FileAttributeNormal,
                                            platform::NullHandle);
  ASSERT_NE(Held, InvalidHandleValue);
  EXPECT_EQ(platform::MoveFileExW(Temporary.c_str(), Final.c_str(), Replace), 0);
  const std::uint32_t Busy = platform::GetLastError();
  EXPECT_TRUE(Busy == platform::ErrorAccessDenied || Busy == platform::ErrorSharingViolation)
      << Busy;
  EXPECT_NE(platform::CloseHandle(Held), 0);

  EXPECT_NE(platform::MoveFileExW(Temporary.c_str(), Final.c_str(), Replace), 0);
  EXPECT_EQ(ReadBack(Final), "new");
  EXPECT_EQ(ReadBack(Temporary), "<cannot open>");
  EXPECT_EQ(platform::DeleteFileW(Temporary.c_str()), 0);
  const std::uint32_t Gone = platform::GetLastError();
  EXPECT_EQ(Gone, platform::ErrorFileNotFound);
}

// The folders compared for the Desktop: a doubled separator, "." and ".." are resolved.
TEST(FilesContract, FullPathNameCollapsesDoubledSeparators) {
  std::u16string Buffer(64, u'#');
  const std::u16string Given = u"C:\\Users\\ana\\\\Docs\\..\\Desktop";
  const std::u16string Expected = u"C:\\Users\\ana\\Desktop";
  EXPECT_EQ(platform::GetFullPathNameW(Given.c_str(), static_cast<std::uint32_t>(Buffer.size()),
                                       Buffer.data(), nullptr),
            Expected.size());
  EXPECT_EQ(Buffer.substr(0, Expected.size() + 1), Expected + u'\0');
}

}  // namespace
