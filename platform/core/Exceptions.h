#pragma once
// The exception family of the framework stand-in. Messages are English, as the
// components' messages are; the windows show their own Dutch texts.
#include <exception>
#include <string>

namespace plat {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char *what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

// Text to number or date conversion failed ("'x' is not a valid integer value").
class EConvertError : public Exception { using Exception::Exception; };
// Stream and file errors.
class EStreamError : public Exception { using Exception::Exception; };
// A file that cannot be created or opened; the message names it.
class EFileStreamError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
class EFOpenError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
// A program resource that is not there.
class EResNotFound : public Exception { using Exception::Exception; };
class EOutOfMemory : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };

} // namespace plat
