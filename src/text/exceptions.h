// The errors a user can see: one hierarchy under Exception, each class answering its own simple
// name, because the console shows that name in front of the message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class Exception {
 public:
  explicit Exception(std::u16string AMessage) : Message(std::move(AMessage)) {}
  Exception(const Exception&) = default;
  Exception(Exception&&) = default;
  Exception& operator=(const Exception&) = default;
  Exception& operator=(Exception&&) = default;
  virtual ~Exception() = default;

  [[nodiscard]] virtual std::u16string_view ClassName() const noexcept { return u"Exception"; }

  std::u16string Message;
};

// Declares an error class that adds nothing but its name to its parent.
#define INVENTARIO_DECLARE_ERROR(Name, Parent)                                          \
  class Name : public Parent {                                                         \
   public:                                                                             \
    using Parent::Parent;                                                              \
    [[nodiscard]] std::u16string_view ClassName() const noexcept override { return u"" #Name; } \
  }

INVENTARIO_DECLARE_ERROR(EStreamError, Exception);
INVENTARIO_DECLARE_ERROR(EFileStreamError, EStreamError);
INVENTARIO_DECLARE_ERROR(EFCreateError, EFileStreamError);
INVENTARIO_DECLARE_ERROR(EFilerError, EStreamError);
INVENTARIO_DECLARE_ERROR(EWriteError, EFilerError);
INVENTARIO_DECLARE_ERROR(EListError, Exception);
INVENTARIO_DECLARE_ERROR(EStringListError, EListError);
INVENTARIO_DECLARE_ERROR(EConvertError, Exception);
INVENTARIO_DECLARE_ERROR(EOutOfMemory, Exception);
INVENTARIO_DECLARE_ERROR(ERangeError, Exception);
INVENTARIO_DECLARE_ERROR(EIntOverflow, Exception);
INVENTARIO_DECLARE_ERROR(EExternalException, Exception);
INVENTARIO_DECLARE_ERROR(EEncodingError, Exception);
INVENTARIO_DECLARE_ERROR(EOSError, Exception);

// A failed console read or write; the message follows from the I/O error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::uint32_t Code);
  [[nodiscard]] std::u16string_view ClassName() const noexcept override { return u"EInOutError"; }

  std::uint32_t ErrorCode;
};

[[noreturn]] void RaiseRangeError();
[[noreturn]] void RaiseIntOverflow();
