#include "SysUtils.h"

#include "TextCodec.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

[[noreturn]] void InvalidFormat(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) +
                        "' invalid or incompatible with argument");
}

[[noreturn]] void NoArgument(std::string_view format) {
    throw EConvertError("No argument for format '" + std::string(format) + "'");
}

std::string Pad(std::string text, int width, bool left) {
    size_t len = Utf8Length(text);
    if (width > 0 && len < static_cast<size_t>(width)) {
        std::string fill(static_cast<size_t>(width) - len, ' ');
        text = left ? text + fill : fill + text;
    }
    return text;
}

std::string WithMinDigits(std::string digits, int precision) {
    bool negative = !digits.empty() && digits[0] == '-';
    std::string body = negative ? digits.substr(1) : digits;
    if (precision > 0 && body.size() < static_cast<size_t>(precision))
        body.insert(0, static_cast<size_t>(precision) - body.size(), '0');
    return negative ? "-" + body : body;
}

std::string Grouped(const std::string& fixed) {
    // Thousands separators for %n: "1234567.89" -> "1,234,567.89".
    size_t start = (!fixed.empty() && fixed[0] == '-') ? 1 : 0;
    size_t dot = fixed.find('.');
    size_t intEnd = dot == std::string::npos ? fixed.size() : dot;
    std::string out = fixed.substr(0, start);
    for (size_t i = start; i < intEnd; ++i) {
        out += fixed[i];
        size_t remaining = intEnd - i - 1;
        if (remaining > 0 && remaining % 3 == 0)
            out += ',';
    }
    out += fixed.substr(intEnd);
    return out;
}

std::string FormatExponent(double v, int precision) {
    // The framework writes "d.dddE+ddd": at least three exponent digits.
    if (precision <= 0 || precision > 18)
        precision = 15;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", precision - 1, v);
    std::string s = buf;
    size_t e = s.find('E');
    if (e != std::string::npos && e + 2 <= s.size()) {
        std::string digits = s.substr(e + 2);
        s.resize(e + 2);
        s.append(digits.size() < 3 ? 3 - digits.size() : 0, '0').append(digits);
    }
    return s;
}

std::string FormatGeneral(double v, int precision) {
    if (precision <= 0 || precision > 18)
        precision = 15;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", precision, v);
    return buf;
}

bool AsInteger(const TVarRec& arg, int64_t& out, bool& isUnsigned, uint64_t& uout) {
    if (auto p = std::get_if<int64_t>(&arg.Get())) {
        out = *p;
        isUnsigned = false;
        return true;
    }
    if (auto p = std::get_if<uint64_t>(&arg.Get())) {
        uout = *p;
        isUnsigned = true;
        return true;
    }
    return false;
}

bool AsDouble(const TVarRec& arg, double& out) {
    if (auto p = std::get_if<double>(&arg.Get())) {
        out = *p;
        return true;
    }
    return false;
}

} // namespace

std::string Format(std::string_view format, std::initializer_list<TVarRec> argList) {
    std::vector<const TVarRec*> args;
    for (const TVarRec& a : argList)
        args.push_back(&a);
    std::string out;
    size_t next = 0;
    size_t i = 0;
    auto takeArg = [&]() -> const TVarRec& {
        if (next >= args.size())
            NoArgument(format);
        return *args[next++];
    };
    auto readNumber = [&](int& value) -> bool {
        if (i < format.size() && format[i] == '*') {
            ++i;
            int64_t v;
            uint64_t u;
            bool isU;
            if (!AsInteger(takeArg(), v, isU, u))
                InvalidFormat(format);
            // A width or precision this large would only exhaust memory.
            if (isU ? u > 100000 : (v > 100000 || v < -100000))
                InvalidFormat(format);
            value = static_cast<int>(isU ? static_cast<int64_t>(u) : v);
            return true;
        }
        bool any = false;
        value = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            if (value > 100000)
                InvalidFormat(format);
            value = value * 10 + (format[i] - '0');
            ++i;
            any = true;
        }
        return any;
    };

    while (i < format.size()) {
        char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= format.size())
            InvalidFormat(format);
        if (format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Optional "index:" selects the argument.
        size_t save = i;
        int number = 0;
        bool digits = i < format.size() && format[i] >= '0' && format[i] <= '9';
        if (digits && readNumber(number) && i < format.size() && format[i] == ':') {
            if (number < 0)
                InvalidFormat(format);
            next = static_cast<size_t>(number);
            ++i;
        } else {
            i = save;
        }
        bool left = false;
        if (i < format.size() && format[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0;
        readNumber(width);
        if (width < 0) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (!readNumber(precision))
                precision = 0;
        }
        if (i >= format.size())
            InvalidFormat(format);
        char type = static_cast<char>(format[i] | 0x20);
        ++i;
        const TVarRec& arg = takeArg();
        std::string text;
        int64_t iv = 0;
        uint64_t uv = 0;
        bool isU = false;
        double dv = 0;
        switch (type) {
        case 'd':
            if (!AsInteger(arg, iv, isU, uv))
                InvalidFormat(format);
            text = WithMinDigits(isU ? std::to_string(uv) : std::to_string(iv), precision);
            break;
        case 'u':
            if (!AsInteger(arg, iv, isU, uv))
                InvalidFormat(format);
            if (!isU)
                uv = static_cast<uint32_t>(iv);
            text = WithMinDigits(std::to_string(uv), precision);
            break;
        case 'x':
            if (!AsInteger(arg, iv, isU, uv))
                InvalidFormat(format);
            if (!isU)
                uv = (iv >= std::numeric_limits<int32_t>::min() &&
                      iv <= std::numeric_limits<uint32_t>::max())
                         ? static_cast<uint32_t>(iv)
                         : static_cast<uint64_t>(iv);
            text = WithMinDigits(IntToHex(uv, 0), precision);
            break;
        case 'e':
            if (!AsDouble(arg, dv))
                InvalidFormat(format);
            text = FormatExponent(dv, precision);
            break;
        case 'f':
        case 'n':
        case 'm': {
            if (!AsDouble(arg, dv))
                InvalidFormat(format);
            char buf[400];
            int prec = precision < 0 ? 2 : std::min(precision, 18);
            if (std::isfinite(dv) && std::fabs(dv) < 1e300) {
                std::snprintf(buf, sizeof buf, "%.*f", prec, dv);
                text = buf;
            } else {
                text = FormatExponent(dv, 15);
            }
            if (type != 'f')
                text = Grouped(text);
            break;
        }
        case 'g':
            if (!AsDouble(arg, dv))
                InvalidFormat(format);
            text = FormatGeneral(dv, precision);
            break;
        case 'p': {
            auto p = std::get_if<const void*>(&arg.Get());
            if (!p)
                InvalidFormat(format);
            text = IntToHex(reinterpret_cast<uintptr_t>(*p), 8);
            break;
        }
        case 's': {
            auto p = std::get_if<std::string>(&arg.Get());
            if (!p)
                InvalidFormat(format);
            text = *p;
            if (precision >= 0 && Utf8Length(text) > static_cast<size_t>(precision)) {
                size_t pos = 0;
                for (int n = 0; n < precision; ++n)
                    DecodeUtf8(text, pos);
                text.resize(pos);
            }
            break;
        }
        default:
            InvalidFormat(format);
        }
        out += Pad(std::move(text), width, left);
    }
    return out;
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

std::string IntToHex(uint64_t value, int digits) {
    static const char* hex = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), hex[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (digits > 0 && s.size() < static_cast<size_t>(digits))
        s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    return s;
}

bool TryStrToInt64(std::string_view text, int64_t& value) {
    // Plain decimal digits, the common case by far (sizes, bitrates, rows): read
    // straight, no more than 18 of them so the sum cannot overflow.
    if (!text.empty() && text.size() <= 18) {
        uint64_t plain = 0;
        bool digits = true;
        for (const char c : text) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            plain = plain * 10 + static_cast<uint64_t>(c - '0');
        }
        if (digits) {
            value = static_cast<int64_t>(plain);
            return true;
        }
    }
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    uint64_t magnitude = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
    if (ec != std::errc() || ptr != last)
        return false;
    if (negative) {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1)
            return false;
        value = static_cast<int64_t>(0 - magnitude);
    } else {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return false;
        value = static_cast<int64_t>(magnitude);
    }
    return true;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    int64_t v;
    if (!TryStrToInt64(text, v) || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t v;
    if (!TryStrToInt(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

int64_t StrToInt64(std::string_view text) {
    int64_t v;
    if (!TryStrToInt64(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
    int32_t v;
    return TryStrToInt(text, v) ? v : fallback;
}

int64_t StrToInt64Def(std::string_view text, int64_t fallback) {
    int64_t v;
    return TryStrToInt64(text, v) ? v : fallback;
}

namespace {
int64_t ToInt64(double whole) {
    // 2^63 itself is out of range; every double below it converts exactly.
    if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0))
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<int64_t>(whole);
}
} // namespace

int64_t Round(double value) {
    return ToInt64(std::nearbyint(value));
}

int64_t Trunc(double value) {
    return ToInt64(std::trunc(value));
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(0, e));
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return r;
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z')
            ca -= 32;
        if (cb >= 'a' && cb <= 'z')
            cb -= 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

template <typename F> std::string MapCodePoints(std::string_view s, F f) {
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[pos]);
        if (b < 0x80) {
            out += static_cast<char>(f(b));
            ++pos;
            continue;
        }
        size_t start = pos;
        char32_t cp = DecodeUtf8(s, pos);
        if (cp == 0xFFFD && pos - start == 1) {
            out += s[start]; // keep undecodable bytes as they are
            continue;
        }
        AppendUtf8(out, f(cp));
    }
    return out;
}

// Base letter of the Latin letters with diacritics, so "é" sorts with "e".
char32_t LatinBase(char32_t lower) {
    static const char kLatin1[] = "aaaaaaaceeeeiiiidnooooo/ouuuuyty"; // U+00E0..U+00FF
    if (lower >= 0xE0 && lower <= 0xFF && lower != 0xF7)
        return static_cast<unsigned char>(kLatin1[lower - 0xE0]);
    if (lower == 0xDF)
        return 's';
    struct Range {
        char32_t first, last;
        char base;
    };
    static const Range kExtA[] = {
        {0x100, 0x105, 'a'}, {0x106, 0x10D, 'c'}, {0x10E, 0x111, 'd'}, {0x112, 0x11B, 'e'},
        {0x11C, 0x123, 'g'}, {0x124, 0x127, 'h'}, {0x128, 0x133, 'i'}, {0x134, 0x135, 'j'},
        {0x136, 0x138, 'k'}, {0x139, 0x142, 'l'}, {0x143, 0x14B, 'n'}, {0x14C, 0x153, 'o'},
        {0x154, 0x159, 'r'}, {0x15A, 0x161, 's'}, {0x162, 0x167, 't'}, {0x168, 0x173, 'u'},
        {0x174, 0x175, 'w'}, {0x176, 0x178, 'y'}, {0x179, 0x17E, 'z'}, {0x17F, 0x17F, 's'}};
    for (const Range& r : kExtA)
        if (lower >= r.first && lower <= r.last)
            return static_cast<unsigned char>(r.base);
    return 0;
}

struct CollationKey {
    uint64_t primary;
    uint32_t secondary; // diacritic
    uint32_t tertiary;  // case: lower before upper
};

CollationKey KeyOf(char32_t cp) {
    char32_t lower = UnicodeToLower(cp);
    uint32_t tertiary = lower != cp ? 1 : 0;
    uint32_t secondary = 0;
    char32_t base = lower;
    if (char32_t latin = LatinBase(lower)) {
        base = latin;
        secondary = lower;
    } else if (lower == 0x451) { // "ё" stands right after "е"
        base = 0x435;
        secondary = 1;
    }
    // Punctuation and symbols first, then digits, then letters, as word sorting does.
    uint64_t cls;
    if (base >= '0' && base <= '9')
        cls = 1;
    else if ((base >= 'a' && base <= 'z') || base >= 0xC0)
        cls = 2;
    else
        cls = 0;
    return {(cls << 32) | base, secondary, tertiary};
}

int CollateCompare(std::string_view a, std::string_view b, bool caseSensitive) {
    std::vector<CollationKey> ka, kb;
    for (size_t p = 0; p < a.size();)
        ka.push_back(KeyOf(DecodeUtf8(a, p)));
    for (size_t p = 0; p < b.size();)
        kb.push_back(KeyOf(DecodeUtf8(b, p)));
    size_t n = std::min(ka.size(), kb.size());
    for (size_t i = 0; i < n; ++i)
        if (ka[i].primary != kb[i].primary)
            return ka[i].primary < kb[i].primary ? -1 : 1;
    if (ka.size() != kb.size())
        return ka.size() < kb.size() ? -1 : 1;
    for (size_t i = 0; i < n; ++i)
        if (ka[i].secondary != kb[i].secondary)
            return ka[i].secondary < kb[i].secondary ? -1 : 1;
    if (caseSensitive) {
        for (size_t i = 0; i < n; ++i)
            if (ka[i].tertiary != kb[i].tertiary)
                return ka[i].tertiary < kb[i].tertiary ? -1 : 1;
    }
    return 0;
}

} // namespace

std::string AnsiLowerCase(std::string_view s) {
    return MapCodePoints(s, UnicodeToLower);
}

std::string AnsiUpperCase(std::string_view s) {
    return MapCodePoints(s, UnicodeToUpper);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    return CollateCompare(a, b, false);
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiLowerCase(a) == AnsiLowerCase(b);
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
    int r = CollateCompare(a, b, true);
    if (r != 0)
        return r;
    return CompareStr(a, b);
}

bool AnsiSameStr(std::string_view a, std::string_view b) {
    return a == b;
}

int Pos(std::string_view sub, std::string_view s) {
    if (sub.empty())
        return 0;
    size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

namespace {
thread_local int lastError = 0;
}

int GetLastError() {
    return lastError;
}
void SetLastError(int code) {
    lastError = code;
}

int ErrnoToWinError(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case ENODEV:
    case ENXIO:
    case EIO:
        return ERROR_NOT_READY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EILSEQ:
        return ERROR_INVALID_NAME;
    default:
        // Unmapped errno values stay apart from the Windows numbers above.
        return 0x20000000 | err;
    }
}

int SetLastErrorFromErrno() {
    lastError = ErrnoToWinError(errno);
    return lastError;
}

std::string SysErrorMessage(int code) {
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified";
    case ERROR_PATH_NOT_FOUND:
        return "The system cannot find the path specified";
    case ERROR_ACCESS_DENIED:
        return "Access is denied";
    case ERROR_NOT_SAME_DEVICE:
        return "The system cannot move the file to a different disk drive";
    case ERROR_NO_MORE_FILES:
        return "There are no more files";
    case ERROR_WRITE_PROTECT:
        return "The media is write protected";
    case ERROR_NOT_READY:
        return "The device is not ready";
    case ERROR_SHARING_VIOLATION:
        return "The process cannot access the file because it is being used by another process";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return "There is not enough space on the disk";
    case ERROR_FILE_EXISTS:
        return "The file exists";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect";
    case ERROR_INVALID_NAME:
        return "The filename, directory name, or volume label syntax is incorrect";
    case ERROR_DIR_NOT_EMPTY:
        return "The directory is not empty";
    case ERROR_ALREADY_EXISTS:
        return "Cannot create a file when that file already exists";
    case ERROR_FILENAME_EXCED_RANGE:
        return "The filename or extension is too long";
    default:
        if (code & 0x20000000)
            return std::strerror(code & ~0x20000000);
        return "Unknown error " + std::to_string(code);
    }
}

void RaiseLastOSError(int code) {
    if (code != 0)
        throw EOSError(Format("System Error.  Code: %d.\n%s", {code, SysErrorMessage(code)}), code);
    throw EOSError("A call to an OS function failed", 0);
}

void RaiseLastOSError() {
    RaiseLastOSError(GetLastError());
}
