// The framework's non-visual basics: exceptions, number and text conversions,
// Format, trimming and case rules. Every std::string holds UTF-8, which is the
// system's "ANSI code page" on this platform.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

class TObject {
public:
    virtual ~TObject() = default;
};

// Base of every error the program raises; Message is the text shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }
    // The class name the default error box and the "Application Error" report show.
    virtual const char* ClassName() const { return "Exception"; }

private:
    std::string message_;
};

#define BV_DECLARE_EXCEPTION(Name, Base)                                                           \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const override { return #Name; }                                   \
    }

BV_DECLARE_EXCEPTION(EConvertError, Exception);
BV_DECLARE_EXCEPTION(EInOutError, Exception);
// An operating-system failure; ErrorCode is the Windows error number the program knows
// (2 file not found, 3 path not found, 5 access denied, 18 no more files, ...).
class EOSError : public Exception {
public:
    using Exception::Exception;
    EOSError(std::string message, int code) : Exception(std::move(message)), ErrorCode(code) {}
    const char* ClassName() const override { return "EOSError"; }
    int ErrorCode = 0;
};
BV_DECLARE_EXCEPTION(EAbort, Exception);
BV_DECLARE_EXCEPTION(EInvalidOp, Exception);
BV_DECLARE_EXCEPTION(EListError, Exception);
BV_DECLARE_EXCEPTION(EStreamError, Exception);
BV_DECLARE_EXCEPTION(EFOpenError, EStreamError);
BV_DECLARE_EXCEPTION(EFCreateError, EStreamError);
BV_DECLARE_EXCEPTION(EReadError, EStreamError);
BV_DECLARE_EXCEPTION(EWriteError, EStreamError);
// The program's own families: string routines and the runtime components.
BV_DECLARE_EXCEPTION(ERtError, Exception);
BV_DECLARE_EXCEPTION(EBvException, Exception);

// Days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;

// One argument of Format: an integer, a floating-point number, a text or a pointer.
class TVarRec {
public:
    template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                               !std::is_same_v<T, char>,
                                           int> = 0>
    TVarRec(T v) {
        if constexpr (std::is_signed_v<T>)
            value_ = static_cast<int64_t>(v);
        else
            value_ = static_cast<uint64_t>(v);
    }
    TVarRec(bool v) : value_(static_cast<int64_t>(v)) {}
    TVarRec(char c) : value_(std::string(1, c)) {}
    TVarRec(double v) : value_(v) {}
    TVarRec(float v) : value_(static_cast<double>(v)) {}
    TVarRec(const char* s) : value_(std::string(s ? s : "")) {}
    TVarRec(std::string s) : value_(std::move(s)) {}
    TVarRec(std::string_view s) : value_(std::string(s)) {}
    TVarRec(const void* p) : value_(p) {}

    using Value = std::variant<int64_t, uint64_t, double, std::string, const void*>;
    const Value& Get() const { return value_; }

private:
    Value value_;
};

// The framework's Format: %[index:][-][width][.precision]type with the types
// d u x e f g n m p s and "*" for width or precision. A format text that does
// not fit its arguments raises EConvertError instead of reading garbage.
std::string Format(std::string_view format, std::initializer_list<TVarRec> args);

std::string IntToStr(int64_t value);
std::string IntToHex(uint64_t value, int digits);
// Strict conversions: optional leading blanks, a sign, decimal digits or "$"/"0x"
// hexadecimal, nothing after; otherwise EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t fallback);
int64_t StrToInt64Def(std::string_view text, int64_t fallback);
bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToInt64(std::string_view text, int64_t& value);

// Rounds halves to the even neighbour, as the framework's Round does. A value
// that is not a number or lies outside 64 bits raises EInvalidOp "Invalid
// floating point operation", as the framework's does.
int64_t Round(double value);
int64_t Trunc(double value);

// Trimming removes characters with codes 0 to 32.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII-only routines: only "a".."z" and "A".."Z" change or fold.
std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
int CompareStr(std::string_view a, std::string_view b);

// Locale-aware routines: case and order follow Unicode, so "ё" equals "Ё" and
// Cyrillic sorts in alphabet order ("е" < "ё" < "ж").
std::string AnsiLowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);
// The first position (1-based) of sub in s, 0 when absent; case-sensitive.
int Pos(std::string_view sub, std::string_view s);

// Windows error numbers the file layer reports through GetLastError.
enum : int {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_NOT_SAME_DEVICE = 17,
    ERROR_NO_MORE_FILES = 18,
    ERROR_WRITE_PROTECT = 19,
    ERROR_NOT_READY = 21,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_HANDLE_DISK_FULL = 39,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INVALID_NAME = 123,
    ERROR_DIR_NOT_EMPTY = 145,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_FILENAME_EXCED_RANGE = 206,
};

// The calling thread's last error of the file layer, as Windows keeps it.
int GetLastError();
void SetLastError(int code);
// Maps an errno value to the Windows error number with the nearest meaning.
int ErrnoToWinError(int err);
// Sets the last error from errno and returns it.
int SetLastErrorFromErrno();
// The system's text for an error number ("The system cannot find the file specified").
std::string SysErrorMessage(int code);
// Raises EOSError "System Error.  Code: %d.\n%s" for the given (or the last) error.
[[noreturn]] void RaiseLastOSError(int code);
[[noreturn]] void RaiseLastOSError();
