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

TEST(FilesContract, FullPathNameResolvesDotsAndDoubledSeparatorsAndReportsTheRoomItNeeds) {
  const std::u16string Folder = platform::testing::MakeScratchDirectory();
  const std::u16string Given = Folder + u"\\sub\\.\\..\\\\.\\report.txt";
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

// A file is saved as a new one that must not exist yet, then moved over the earlier one.
TEST(FilesContract, ANewFileIsMovedOverAnEarlierOneOnceClosedAndLetGo) {
  const std::u16string Final = platform::testing::MakeScratchDirectory() + u"\\report.txt";
  const std::u16string Temporary = Final + u".1-0.tmp";
  const auto Move = [&] {
    const platform::Bool Moved =
        platform::MoveFileExW(Temporary.c_str(), Final.c_str(),
                              platform::MovefileReplaceExisting | platform::MovefileWriteThrough);
    return Moved != 0 ? platform::ErrorSuccess : platform::GetLastError();
  };
  const auto CreateNew = [&] {
    return platform::CreateFileW(Temporary.c_str(), platform::GenericWrite, 0, nullptr,
                                 platform::CreateNew, platform::FileAttributeNormal,
                                 platform::NullHandle);
  };
  const Handle Held = CreateReport(Final);
  const Handle File = CreateNew();
  ASSERT_NE(File, InvalidHandleValue);
  EXPECT_EQ(CreateNew(), InvalidHandleValue);  // a name that is taken is refused, never emptied
  EXPECT_EQ(platform::GetLastError(), platform::ErrorFileExists);
  Write(File, "new");
  EXPECT_NE(platform::FlushFileBuffers(File), 0);
  EXPECT_EQ(Move(), platform::ErrorSharingViolation);  // still open
  EXPECT_NE(platform::CloseHandle(File), 0);
  const std::uint32_t Busy = Move();  // the earlier file is held by someone
  EXPECT_TRUE(Busy == platform::ErrorAccessDenied || Busy == platform::ErrorSharingViolation)
      << Busy;
  EXPECT_NE(platform::CloseHandle(Held), 0);
  EXPECT_EQ(Move(), platform::ErrorSuccess);
  EXPECT_EQ(ReadBack(Final), "new");
  EXPECT_EQ(ReadBack(Temporary), "<cannot open>");
}

// What tells a drive made of a folder from a disk: the system drive maps to a device, not to a
// folder, and a buffer too small for the mapping fails with 122 rather than cutting it short.
TEST(FilesContract, TheSystemDriveMapsToADeviceAndTooSmallABufferIsRefused) {
  std::u16string Windows(261, u'\0');
  ASSERT_GT(platform::GetSystemWindowsDirectoryW(Windows.data(), 261), 2U);
  const std::u16string Device{Windows[0], u':'};
  std::u16string Target(1024, u'x');
  const std::uint32_t Stored = platform::QueryDosDeviceW(Device.c_str(), Target.data(), 1024);
  ASSERT_GT(Stored, 2U);
  EXPECT_EQ(Target[Stored - 1], u'\0');  // the NUL that ends the list, counted
  EXPECT_EQ(Target[Stored - 2], u'\0');
  EXPECT_EQ(Target.substr(0, 8), u"\\Device\\");
  EXPECT_EQ(platform::QueryDosDeviceW(Device.c_str(), Target.data(), 2), 0U);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);
}

}  // namespace
