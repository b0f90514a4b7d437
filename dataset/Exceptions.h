#pragma once
// Exceptions of the dataset layer. All carry a message (UTF-16); what() gives it as UTF-8.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "packet/ReadFailure.h"

class TComponent;

class Exception : public std::runtime_error {
  public:
    explicit Exception(std::u16string message);
    const std::u16string& Message() const { return FMessage; }

  private:
    std::u16string FMessage;
};

// A message of the dataset layer itself.
class EDatabaseError : public Exception {
  public:
    using Exception::Exception;
};

// A failure answered by the table engine: its text and its result code.
class EDBClient : public EDatabaseError {
  public:
    EDBClient(std::u16string message, std::int32_t errorCode, ReadFailure readFailure = {})
        : EDatabaseError(std::move(message)), FErrorCode(errorCode), FReadFailure(readFailure) {}
    std::int32_t ErrorCode() const { return FErrorCode; }
    // For a packet the engine could not load: the reader's failed check and its byte offset.
    const ReadFailure& PacketReadFailure() const { return FReadFailure; }

  private:
    std::int32_t FErrorCode;
    ReadFailure FReadFailure;
};

class EFCreateError : public Exception {
  public:
    using Exception::Exception;
};

class EFOpenError : public Exception {
  public:
    using Exception::Exception;
};

// The message with the component's name prefixed: "%s: %s", or "%s.%s: %s" for a
// sub-component of a named owner; the bare message without a named component.
std::u16string prefixedMessage(const std::u16string& message, const TComponent* component);

// Raises EDatabaseError with the message, prefixed by the component's name when given.
[[noreturn]] void DatabaseError(const std::u16string& message,
                                const TComponent* component = nullptr);

// Replaces each "%s" (and each "%g", for numbers already formatted) of the format, in order,
// with the next argument.
std::u16string formatMessage(std::u16string_view format,
                             std::initializer_list<std::u16string_view> args);

// A stream could not be read or written to its end.
class EReadError : public Exception {
  public:
    using Exception::Exception;
};

class EWriteError : public Exception {
  public:
    using Exception::Exception;
};
