// The framework's exception class tree. Every exception the framework raises
// is an Exception (or derived) carrying its message text in the ANSI code
// page; boundaries catch them by these classes.
#pragma once

#include <string>

class Exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    virtual ~Exception() = default;

    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    // The class name, as the framework's messages show it.
    virtual const char* ClassName() const { return "Exception"; }

private:
    std::string message_;
};

// Declares an exception class: a constructor taking the message and the class name.
#define DECLARE_EXCEPTION(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        explicit Name(std::string message) : Base(std::move(message)) {}                           \
        const char* ClassName() const override { return #Name; }                                   \
    }

// Silent exception: dropped by the framework's exception routing.
DECLARE_EXCEPTION(EAbort, Exception);
DECLARE_EXCEPTION(EOutOfMemory, Exception);
DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);
DECLARE_EXCEPTION(EResNotFound, Exception);
DECLARE_EXCEPTION(EStreamError, Exception);
DECLARE_EXCEPTION(EFilerError, EStreamError);
DECLARE_EXCEPTION(EReadError, EFilerError);
DECLARE_EXCEPTION(EWriteError, EFilerError);
DECLARE_EXCEPTION(EClassNotFound, EFilerError);
DECLARE_EXCEPTION(EInvalidImage, EFilerError);
DECLARE_EXCEPTION(EConvertError, Exception);
DECLARE_EXCEPTION(ERegistryException, Exception);
DECLARE_EXCEPTION(EInvalidOperation, Exception);
DECLARE_EXCEPTION(EInvalidPointer, Exception);
DECLARE_EXCEPTION(EListError, Exception);
DECLARE_EXCEPTION(EStringListError, Exception);
DECLARE_EXCEPTION(EAbstractError, Exception);
DECLARE_EXCEPTION(EIntError, Exception);
DECLARE_EXCEPTION(ERangeError, EIntError);
DECLARE_EXCEPTION(EComponentError, Exception);
DECLARE_EXCEPTION(EWin32Error, Exception);

// Raises EAbort with an empty message: the framework drops it silently.
[[noreturn]] void Abort();

// Raises EWin32Error for GetLastError()'s value with its number in the message.
[[noreturn]] void RaiseLastWin32Error();
