#include "BvCoreUtils.h"

#include "Files.h"
#include "SysUtils.h"

#include <sys/stat.h>

namespace {

bool IsDelim(char c, std::string_view delims) {
    return delims.find(c) != std::string_view::npos;
}

} // namespace

int WordPosition(int n, std::string_view s, std::string_view wordDelims) {
    int count = 0;
    size_t i = 0;
    while (i < s.size() && count != n) {
        while (i < s.size() && IsDelim(s[i], wordDelims))
            ++i;
        if (i < s.size())
            ++count;
        if (count != n) {
            while (i < s.size() && !IsDelim(s[i], wordDelims))
                ++i;
        } else {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::string ExtractWord(int n, std::string_view s, std::string_view wordDelims) {
    int start = WordPosition(n, s, wordDelims);
    if (start == 0)
        return std::string();
    size_t i = static_cast<size_t>(start) - 1, end = i;
    while (end < s.size() && !IsDelim(s[end], wordDelims))
        ++end;
    return std::string(s.substr(i, end - i));
}

bool HasAnyChar(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

bool ValidFileName(std::string_view fileName) {
    if (fileName.empty() || HasAnyChar(fileName, "/<>\"?*|"))
        return false;
    // The name part follows the folder, which ends at the last backslash or ":".
    auto sep = fileName.find_last_of("\\:");
    std::string_view name = sep == std::string_view::npos ? fileName : fileName.substr(sep + 1);
    return name.find('\\') == std::string_view::npos;
}

size_t GetParamStr(std::string_view text, size_t pos, std::string& param) {
    auto at = [&](size_t i) -> unsigned char {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    param.clear();
    for (;;) {
        while (at(pos) >= 1 && at(pos) <= 32)
            ++pos;
        if (at(pos) == '"' && at(pos + 1) == '"')
            pos += 2;
        else
            break;
    }
    while (at(pos) > 32) {
        if (at(pos) == '"') {
            ++pos;
            while (at(pos) != 0 && at(pos) != '"')
                param += text[pos++];
            if (at(pos) != 0)
                ++pos;
        } else {
            param += text[pos++];
        }
    }
    return pos;
}

int ParamCountOf(std::string_view text) {
    int count = 0;
    size_t pos = 0;
    std::string param;
    for (;;) {
        pos = GetParamStr(text, pos, param);
        if (param.empty())
            return count;
        ++count;
    }
}

std::string ParamAt(std::string_view text, int index) {
    size_t pos = 0;
    std::string param;
    for (int i = 0;; ++i) {
        pos = GetParamStr(text, pos, param);
        if (param.empty() || i == index)
            return param;
    }
}

void SplitCommandLine(std::string_view cmdLine, std::string& exeName, std::string& params) {
    exeName.clear();
    params.clear();
    size_t pos = GetParamStr(cmdLine, 0, exeName);
    std::string param;
    for (;;) {
        pos = GetParamStr(cmdLine, pos, param);
        if (param.empty())
            return;
        if (!params.empty())
            params += ' ';
        if (param.find(' ') != std::string::npos)
            params += '"' + param + '"';
        else
            params += param;
    }
}

std::string FileNameFromText(std::string_view text) {
    // A mask names no file here, whatever it would match.
    if (!text.empty() && !HasAnyChar(text, "*?\"<>|")) {
        try {
            const std::string local = ResolvePath(text);
            struct stat st;
            if (!local.empty() && ::stat(local.c_str(), &st) == 0) {
                if (!S_ISDIR(st.st_mode))
                    return std::string(text);
                std::string folder(text);
                // A drive's root and "/" keep their one separator.
                while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
                       !(folder.size() == 3 && folder[1] == ':'))
                    folder.pop_back();
                return folder;
            }
        } catch (const Exception&) {
            // A drive that is not there or a path that leaves its drive names nothing.
        }
    }
    return ParamAt(text, 0);
}

std::string GetLongFileName(std::string_view name) {
    TSearchRec rec;
    if (FindFirst(name, faAnyFile, rec) != 0)
        return std::string();
    std::string found = rec.Name;
    FindClose(rec);
    return found;
}

std::string GetShortFileName(std::string_view name) {
    return GetLongFileName(name);
}
