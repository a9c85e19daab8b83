#include "BvAppStorage.h"

#include "RtMime.h"
#include "ScopeExit.h"
#include "System.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <langinfo.h>

// ---- invariant and locale texts ----

std::string FloatToInvariantText(double value) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

bool TryInvariantTextToFloat(const std::string& text, double& value) {
    std::string t = Trim(text);
    if (t.empty())
        return false;
    const char* begin = t.data();
    if (*begin == '+')
        ++begin;
    auto r = std::from_chars(begin, t.data() + t.size(), value);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(value);
}

namespace {

bool Digits(const std::string& s, size_t pos, size_t n, int& out) {
    if (pos + n > s.size())
        return false;
    out = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// A whole number of 1 to 4 digits at pos; pos moves behind it.
bool Number(const std::string& s, size_t& pos, int& out) {
    size_t start = pos;
    out = 0;
    while (pos < s.size() && pos - start < 4 && s[pos] >= '0' && s[pos] <= '9')
        out = out * 10 + (s[pos++] - '0');
    return pos > start;
}

bool MakeDateTime(int y, int m, int d, int h, int n, int sec, int ms, TDateTime& value) {
    try {
        TDateTime date = EncodeDate(y, m, d);
        TDateTime time = EncodeTime(h, n, sec, ms);
        value = date < 0 ? date - time : date + time;
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

// "hh:nn[:ss[.zzz]]" with the given separator, from pos to the end.
bool ParseTime(const std::string& s, size_t pos, char sep, int& h, int& n, int& sec, int& ms) {
    h = n = sec = ms = 0;
    if (!Number(s, pos, h) || pos >= s.size() || s[pos] != sep)
        return false;
    ++pos;
    if (!Number(s, pos, n))
        return false;
    if (pos < s.size() && s[pos] == sep) {
        ++pos;
        if (!Number(s, pos, sec))
            return false;
        if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
            // Milliseconds: the first three digits of the fraction, the rest dropped.
            ++pos;
            size_t start = pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
                if (pos - start < 3)
                    ms = ms * 10 + (s[pos] - '0');
                ++pos;
            }
            if (pos == start)
                return false;
            for (size_t k = pos - start; k < 3; ++k)
                ms *= 10;
        }
    }
    return pos == s.size();
}

} // namespace

std::string DateTimeToInvariantText(TDateTime value) {
    int y, m, d, h, n, s, ms;
    DecodeDate(value, y, m, d);
    DecodeTime(value, h, n, s, ms);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    std::string text = buf;
    if (h || n || s || ms) {
        std::snprintf(buf, sizeof buf, "T%02d:%02d:%02d", h, n, s);
        text += buf;
        if (ms) {
            std::snprintf(buf, sizeof buf, ".%03d", ms);
            text += buf;
        }
    }
    return text;
}

bool TryInvariantTextToDateTime(const std::string& text, TDateTime& value) {
    std::string t = Trim(text);
    int y, m, d, h = 0, n = 0, s = 0, ms = 0;
    if (!Digits(t, 0, 4, y) || t.size() < 10 || t[4] != '-' || !Digits(t, 5, 2, m) || t[7] != '-' ||
        !Digits(t, 8, 2, d))
        return false;
    if (t.size() > 10) {
        if (t[10] != 'T' && t[10] != ' ')
            return false;
        if (!ParseTime(t, 11, ':', h, n, s, ms))
            return false;
    }
    return MakeDateTime(y, m, d, h, n, s, ms, value);
}

bool TryLocaleTextToFloat(const std::string& text, const TBvStorageFormatSettings& fs,
                          double& value) {
    std::string t = Trim(text);
    if (fs.DecimalSeparator != '.') {
        // The locale's form holds no "."; one there is not its decimal point.
        if (t.find('.') != std::string::npos)
            return false;
        std::replace(t.begin(), t.end(), fs.DecimalSeparator, '.');
    }
    return TryInvariantTextToFloat(t, value);
}

bool TryLocaleTextToDateTime(const std::string& text, const TBvStorageFormatSettings& fs,
                             TDateTime& value) {
    std::string t = Trim(text);
    size_t pos = 0;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= t.size() || t[pos] != fs.DateSeparator)
                return false;
            ++pos;
        }
        if (!Number(t, pos, parts[i]))
            return false;
    }
    int y = 0, m = 0, d = 0;
    for (int i = 0; i < 3 && i < static_cast<int>(fs.DateOrder.size()); ++i) {
        char c = fs.DateOrder[static_cast<size_t>(i)];
        (c == 'y' ? y : c == 'm' ? m : d) = parts[i];
    }
    if (y < 100) {
        // Two-digit years fall within fifty years of now, as the framework takes them.
        int now, mm, dd;
        DecodeDate(Now(), now, mm, dd);
        int century = now / 100 * 100;
        y += century;
        if (y > now + 50)
            y -= 100;
        else if (y < now - 50)
            y += 100;
    }
    int h = 0, n = 0, s = 0, ms = 0;
    if (pos < t.size()) {
        if (t[pos] != ' ')
            return false;
        if (!ParseTime(t, pos + 1, fs.TimeSeparator, h, n, s, ms))
            return false;
    }
    return MakeDateTime(y, m, d, h, n, s, ms, value);
}

TBvStorageFormatSettings TBvStorageFormatSettings::FromLocale() {
    TBvStorageFormatSettings fs;
    if (const lconv* lc = std::localeconv(); lc && lc->decimal_point && lc->decimal_point[0])
        fs.DecimalSeparator = lc->decimal_point[0];
    // "%m/%d/%y", "%d.%m.%Y", "%Y-%m-%d": the order and the separator of the short date.
    std::string fmt = nl_langinfo(D_FMT);
    std::string order;
    for (size_t i = 0; i + 1 < fmt.size(); ++i) {
        if (fmt[i] != '%')
            continue;
        char c = fmt[i + 1];
        if (c == 'd' || c == 'e')
            order += 'd';
        else if (c == 'm')
            order += 'm';
        else if (c == 'y' || c == 'Y')
            order += 'y';
        if (order.size() == 1 && i + 2 < fmt.size() && fmt[i + 2] != '%')
            fs.DateSeparator = fmt[i + 2];
        ++i;
    }
    if (order.size() == 3)
        fs.DateOrder = order;
    return fs;
}

// ---- options ----

namespace {

// The framework's comma text: entries end at a comma or a blank; a double-quoted entry may
// hold both.
std::vector<std::string> CommaEntries(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ','))
            ++i;
        if (i >= text.size())
            break;
        std::string entry;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        entry += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != ' ')
                entry += text[i++];
        }
        out.push_back(entry);
    }
    return out;
}

std::string FirstEntry(const std::string& list) {
    return Trim(list.substr(0, list.find(',')));
}

bool InList(const std::string& list, const std::string& text) {
    std::string upper = AnsiUpperCase(text);
    for (const std::string& e : CommaEntries(AnsiUpperCase(list)))
        if (e == upper)
            return true;
    return false;
}

} // namespace

const TClassInfo& TBvCustomAppStorageOptions::StaticClassInfo() {
    static const TClassInfo info("TBvCustomAppStorageOptions", &TPersistent::StaticClassInfo(), {},
                                 "BvAppStorage");
    return info;
}

TBvCustomAppStorageOptions::TBvCustomAppStorageOptions() = default;

void TBvCustomAppStorageOptions::Assign(const TPersistent& source) {
    auto* o = dynamic_cast<const TBvCustomAppStorageOptions*>(&source);
    if (!o) {
        TPersistent::Assign(source);
        return;
    }
    trueValues_ = o->trueValues_;
    falseValues_ = o->falseValues_;
    booleanAsString_ = o->booleanAsString_;
    EnumerationAsString = o->EnumerationAsString;
    TypedIntegerAsString = o->TypedIntegerAsString;
    SetAsString = o->SetAsString;
    DateTimeAsString = o->DateTimeAsString;
    FloatAsString = o->FloatAsString;
    DefaultIfReadConvertError = o->DefaultIfReadConvertError;
    DefaultIfValueNotExists = o->DefaultIfValueNotExists;
}

void TBvCustomAppStorageOptions::SetBooleanStringTrueValues(const std::string& value) {
    trueValues_ = value;
    SetBooleanAsString(booleanAsString_);
}

void TBvCustomAppStorageOptions::SetBooleanStringFalseValues(const std::string& value) {
    falseValues_ = value;
    SetBooleanAsString(booleanAsString_);
}

void TBvCustomAppStorageOptions::SetBooleanAsString(bool value) {
    booleanAsString_ =
        value && !FirstEntry(trueValues_).empty() && !FirstEntry(falseValues_).empty();
}

bool TBvCustomAppStorageOptions::IsValueTrueString(const std::string& text) const {
    return InList(trueValues_, text);
}

bool TBvCustomAppStorageOptions::IsValueFalseString(const std::string& text) const {
    return InList(falseValues_, text);
}

std::string TBvCustomAppStorageOptions::DefaultTrueString() const {
    return FirstEntry(trueValues_);
}

std::string TBvCustomAppStorageOptions::DefaultFalseString() const {
    return FirstEntry(falseValues_);
}

// ---- sub-storages ----

std::string TBvAppSubStorage::DisplayName() const {
    return "\\" + rootPath_ + "=" + (storage_ ? storage_->Name() : std::string());
}

TBvAppSubStorages::~TBvAppSubStorages() {
    for (auto& item : items_)
        if (item->storage_)
            owner_->RemoveFreeNotification(item->storage_);
}

const TBvAppSubStorage& TBvAppSubStorages::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return *items_[static_cast<size_t>(index)];
}

TBvAppSubStorage* TBvAppSubStorages::Add(const std::string& rootPath,
                                         TBvCustomAppStorage* storage) {
    auto item = std::make_unique<TBvAppSubStorage>();
    items_.push_back(std::move(item));
    int index = Count() - 1;
    TScopeExit undo([this, index] { Delete(index); });
    SetRootPath(index, rootPath);
    SetAppStorage(index, storage);
    undo.Release();
    return items_.back().get();
}

void TBvAppSubStorages::SetRootPath(int index, const std::string& rootPath) {
    std::string root = TBvCustomAppStorage::ConcatPaths({rootPath});
    for (int i = 0; i < Count(); ++i)
        if (i != index && SameText(items_[static_cast<size_t>(i)]->rootPath_, root))
            throw EBvAppStorageError(Format("'%s' is not a unique root path", {root}));
    items_.at(static_cast<size_t>(index))->rootPath_ = root;
}

bool TBvAppSubStorages::Reaches(const TBvCustomAppStorage* storage) const {
    for (auto& item : items_)
        if (item->storage_ &&
            (item->storage_ == storage || item->storage_->SubStorages().Reaches(storage)))
            return true;
    return false;
}

void TBvAppSubStorages::SetAppStorage(int index, TBvCustomAppStorage* storage) {
    TBvAppSubStorage& item = *items_.at(static_cast<size_t>(index));
    if (storage == item.storage_)
        return;
    if (storage && (storage == owner_ || storage->SubStorages().Reaches(owner_)))
        throw EBvAppStorageError("Circular reference of storages");
    if (item.storage_)
        owner_->RemoveFreeNotification(item.storage_);
    item.storage_ = storage;
    if (storage)
        owner_->FreeNotification(storage);
}

void TBvAppSubStorages::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    auto& item = items_[static_cast<size_t>(index)];
    TBvCustomAppStorage* storage = item->storage_;
    items_.erase(items_.begin() + index);
    // Another item may still mount the same storage.
    bool stillUsed = false;
    for (auto& other : items_)
        stillUsed |= other->storage_ == storage;
    if (storage && !stillUsed)
        owner_->RemoveFreeNotification(storage);
}

void TBvAppSubStorages::StorageGone(TBvCustomAppStorage* storage) {
    for (size_t i = items_.size(); i-- > 0;)
        if (items_[i]->storage_ == storage)
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
}

const TBvAppSubStorage* TBvAppSubStorages::MatchFor(const std::string& fullPath) const {
    // Compared without regard to the case of A to Z, as the roots are folder names.
    auto upper = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return s;
    };
    std::string path = upper(fullPath);
    const TBvAppSubStorage* best = nullptr;
    for (auto& item : items_) {
        std::string prefix = "\\";
        prefix.append(upper(item->rootPath_)).append("\\");
        if (item->rootPath_.empty() || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!best || item->rootPath_.size() > best->rootPath_.size())
            best = item.get();
    }
    return best;
}

// ---- the storage ----

const TClassInfo& TBvCustomAppStorage::StaticClassInfo() {
    static const TClassInfo info("TBvCustomAppStorage", &TComponent::StaticClassInfo(), {},
                                 "BvAppStorage");
    return info;
}

TBvCustomAppStorage::TBvCustomAppStorage(TComponent* owner)
    : TComponent(owner), options_(std::make_unique<TBvCustomAppStorageOptions>()),
      subStorages_(this) {}

TBvCustomAppStorage::~TBvCustomAppStorage() {
    Destroying();
}

std::string TBvCustomAppStorage::ConcatPaths(const std::vector<std::string>& paths) {
    size_t start = 0;
    for (size_t i = 0; i < paths.size(); ++i)
        if (!paths[i].empty() && paths[i][0] == '\\')
            start = i;
    std::vector<std::string> parts;
    for (size_t i = start; i < paths.size(); ++i) {
        const std::string& p = paths[i];
        size_t pos = 0;
        while (pos <= p.size()) {
            size_t sep = p.find('\\', pos);
            std::string part =
                p.substr(pos, sep == std::string::npos ? std::string::npos : sep - pos);
            pos = sep == std::string::npos ? p.size() + 1 : sep + 1;
            if (part.empty() || part == ".")
                continue;
            if (part.find_first_not_of('.') == std::string::npos) {
                for (size_t up = 1; up < part.size() && !parts.empty(); ++up)
                    parts.pop_back();
                continue;
            }
            parts.push_back(part);
        }
    }
    std::string result;
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? "\\" : "") + parts[i];
    return Trim(result).empty() ? std::string() : result;
}

std::string TBvCustomAppStorage::GetAbsPath(const std::string& path) const {
    std::string abs = root_ + "\\" + ConcatPaths({currentPath_, path});
    size_t first = abs.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : abs.substr(first);
}

void TBvCustomAppStorage::SplitKeyPath(const std::string& path, std::string& key,
                                       std::string& valueName) const {
    std::string abs = GetAbsPath(path);
    size_t last = abs.rfind('\\');
    if (last == std::string::npos) {
        key.clear();
        valueName = abs;
    } else {
        key = abs.substr(0, last);
        valueName = abs.substr(last + 1);
    }
}

TBvCustomAppStorage* TBvCustomAppStorage::Target(const std::string& path, std::string& within) {
    std::string full = "\\";
    full.append(ConcatPaths({currentPath_, path}));
    const TBvAppSubStorage* sub = subStorages_.MatchFor(full);
    if (!sub || !sub->AppStorage()) {
        within = full;
        return this;
    }
    within = "\\";
    within.append(ConcatPaths({full.substr(sub->RootPath().size() + 1)}));
    if (within == "\\")
        throw EBvAppStorageError("Invalid path");
    return sub->AppStorage();
}

int32_t TBvCustomAppStorage::ReadInteger(const std::string& path, int32_t defaultValue) {
    std::string within;
    return Target(path, within)->ReadIntegerInt(within, defaultValue);
}

void TBvCustomAppStorage::WriteInteger(const std::string& path, int32_t value) {
    std::string within;
    TBvCustomAppStorage* t = Target(path, within);
    if (!t->IsReadOnlyTarget())
        t->WriteIntegerInt(within, value);
}

std::string TBvCustomAppStorage::ReadString(const std::string& path,
                                            const std::string& defaultValue) {
    std::string within;
    return Target(path, within)->ReadStringInt(within, defaultValue);
}

void TBvCustomAppStorage::WriteString(const std::string& path, const std::string& value) {
    std::string within;
    TBvCustomAppStorage* t = Target(path, within);
    if (!t->IsReadOnlyTarget())
        t->WriteStringInt(within, value);
}

bool TBvCustomAppStorage::IsFolder(const std::string& path, bool listIsValue) {
    std::string within;
    return Target(path, within)->IsFolderInt(within, listIsValue);
}

bool TBvCustomAppStorage::ValueStored(const std::string& path) {
    std::string within;
    return Target(path, within)->ValueStoredInt(within);
}

void TBvCustomAppStorage::DeleteSubTree(const std::string& path) {
    std::string within;
    TBvCustomAppStorage* t = Target(path, within);
    if (!t->IsReadOnlyTarget())
        t->DeleteSubTreeInt(within);
}

bool TBvCustomAppStorage::Missing(const std::string& path) {
    return options_->DefaultIfValueNotExists && !ValueStoredInt(path);
}

template <class T, class F> T TBvCustomAppStorage::WithConvertFallback(T defaultValue, F read) {
    try {
        return read();
    } catch (const EConvertError&) {
        if (options_->DefaultIfReadConvertError)
            return defaultValue;
        throw;
    }
}

int32_t TBvCustomAppStorage::ReadIntegerInt(const std::string& path, int32_t defaultValue) {
    if (Missing(path))
        return defaultValue;
    return WithConvertFallback(defaultValue, [&] { return DoReadInteger(path, defaultValue); });
}

void TBvCustomAppStorage::WriteIntegerInt(const std::string& path, int32_t value) {
    if (!IsReadOnlyTarget())
        DoWriteInteger(path, value);
}

std::string TBvCustomAppStorage::ReadStringInt(const std::string& path,
                                               const std::string& defaultValue) {
    if (Missing(path))
        return defaultValue;
    return WithConvertFallback(defaultValue, [&] { return ReadStoredText(path, defaultValue); });
}

std::string TBvCustomAppStorage::ReadStoredText(const std::string& path,
                                                const std::string& defaultValue) {
    return DecryptPropertyValue(DoReadString(path, EncryptPropertyValue(defaultValue)));
}

void TBvCustomAppStorage::WriteStringInt(const std::string& path, const std::string& value) {
    if (!IsReadOnlyTarget())
        DoWriteString(path, EncryptPropertyValue(value));
}

TDateTime TBvCustomAppStorage::DoReadDateTime(const std::string& path, TDateTime defaultValue) {
    return DoReadFloat(path, defaultValue);
}

void TBvCustomAppStorage::DoWriteDateTime(const std::string& path, TDateTime value) {
    DoWriteFloat(path, value);
}

bool TBvCustomAppStorage::DoReadBoolean(const std::string& path, bool defaultValue) {
    return DoReadInteger(path, defaultValue ? 1 : 0) != 0;
}

void TBvCustomAppStorage::DoWriteBoolean(const std::string& path, bool value) {
    DoWriteInteger(path, value ? 1 : 0);
}

double TBvCustomAppStorage::ReadFloat(const std::string& path, double defaultValue) {
    if (Missing(path))
        return defaultValue;
    auto fromText = [&] {
        std::string text = ReadStoredText(path, FloatToInvariantText(defaultValue));
        double v;
        if (TryInvariantTextToFloat(text, v) || TryLocaleTextToFloat(text, FormatSettings, v))
            return v;
        throw EConvertError(Format("'%s' is not a valid floating point value", {text}));
    };
    return WithConvertFallback(defaultValue, [&] {
        if (options_->FloatAsString) {
            try {
                return fromText();
            } catch (const EConvertError&) {
                return DoReadFloat(path, defaultValue);
            }
        }
        try {
            return DoReadFloat(path, defaultValue);
        } catch (const EConvertError&) {
            return fromText();
        }
    });
}

void TBvCustomAppStorage::WriteFloat(const std::string& path, double value) {
    if (options_->FloatAsString)
        WriteStringInt(path, FloatToInvariantText(value));
    else if (!IsReadOnlyTarget())
        DoWriteFloat(path, value);
}

TDateTime TBvCustomAppStorage::ReadDateTime(const std::string& path, TDateTime defaultValue) {
    if (Missing(path))
        return defaultValue;
    auto fromText = [&] {
        std::string text = ReadStoredText(path, DateTimeToInvariantText(defaultValue));
        TDateTime v;
        if (TryInvariantTextToDateTime(text, v) || TryLocaleTextToDateTime(text, FormatSettings, v))
            return v;
        throw EConvertError(Format("'%s' is not a valid date and time", {text}));
    };
    return WithConvertFallback(defaultValue, [&] {
        if (options_->DateTimeAsString) {
            try {
                return fromText();
            } catch (const EConvertError&) {
                return DoReadDateTime(path, defaultValue);
            }
        }
        try {
            return DoReadDateTime(path, defaultValue);
        } catch (const EConvertError&) {
            return fromText();
        }
    });
}

void TBvCustomAppStorage::WriteDateTime(const std::string& path, TDateTime value) {
    if (options_->DateTimeAsString)
        WriteStringInt(path, DateTimeToInvariantText(value));
    else if (!IsReadOnlyTarget())
        DoWriteDateTime(path, value);
}

bool TBvCustomAppStorage::ReadBoolean(const std::string& path, bool defaultValue) {
    if (Missing(path))
        return defaultValue;
    return WithConvertFallback(defaultValue, [&] {
        if (options_->BooleanAsString()) {
            try {
                std::string text =
                    ReadStoredText(path, defaultValue ? options_->DefaultTrueString()
                                                      : options_->DefaultFalseString());
                if (options_->IsValueTrueString(text))
                    return true;
                if (options_->IsValueFalseString(text))
                    return false;
            } catch (const EConvertError&) {
            }
        }
        return DoReadBoolean(path, defaultValue);
    });
}

void TBvCustomAppStorage::WriteBoolean(const std::string& path, bool value) {
    if (options_->BooleanAsString())
        WriteStringInt(path,
                       value ? options_->DefaultTrueString() : options_->DefaultFalseString());
    else if (!IsReadOnlyTarget())
        DoWriteBoolean(path, value);
}

std::string TBvCustomAppStorage::ReadBinary(const std::string& path) {
    if (Missing(path))
        return {};
    return DoReadBinary(path);
}

void TBvCustomAppStorage::WriteBinary(const std::string& path, const std::string& bytes) {
    if (!IsReadOnlyTarget())
        DoWriteBinary(path, bytes);
}

namespace {

bool IsBooleanType(const TTypeInfo* t) {
    return t->Kind == TTypeKind::tkEnumeration &&
           (SameText(t->Name, "Boolean") || (t->BaseType && t->BaseType->MinValue < 0) ||
            t->MinValue < 0);
}

} // namespace

void TBvCustomAppStorage::ReadEnumeration(const std::string& path, const TTypeInfo* type,
                                          int64_t defaultValue, int64_t& value) {
    if (!type)
        throw EBvAppStorageError("Invalid type");
    if (IsBooleanType(type)) {
        value = ReadBoolean(path, defaultValue != 0) ? 1 : 0;
        return;
    }
    switch (type->Kind) {
    case TTypeKind::tkEnumeration: {
        if (Missing(path)) {
            value = defaultValue;
            return;
        }
        std::string text = " #!@not known@!# ";
        try {
            text = ReadStoredText(path, text);
        } catch (const EConvertError&) {
            // Held as a number: read as one below.
        }
        int64_t v = GetEnumValue(type, Trim(text));
        value = v >= 0 ? v : ReadIntegerInt(path, static_cast<int32_t>(defaultValue));
        return;
    }
    case TTypeKind::tkInteger:
        if (!type->Idents.empty()) {
            if (Missing(path)) {
                value = defaultValue;
                return;
            }
            // An identifier first; a text that is none (a number, or nothing) is read as an
            // integer below.
            std::string text;
            try {
                text = ReadStoredText(path, "");
            } catch (const EConvertError&) {
            }
            int64_t v;
            if (!Trim(text).empty() && IdentToInt(type, Trim(text), v)) {
                value = v;
                return;
            }
        }
        value = ReadIntegerInt(path, static_cast<int32_t>(defaultValue));
        return;
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        value = ReadIntegerInt(path, static_cast<int32_t>(defaultValue));
        return;
    default:
        throw EBvAppStorageError("Invalid type");
    }
}

void TBvCustomAppStorage::WriteEnumeration(const std::string& path, const TTypeInfo* type,
                                           int64_t value) {
    if (!type)
        throw EBvAppStorageError("Invalid type");
    if (IsBooleanType(type)) {
        WriteBoolean(path, value != 0);
        return;
    }
    switch (type->Kind) {
    case TTypeKind::tkEnumeration:
        if (options_->EnumerationAsString)
            WriteStringInt(path, GetEnumName(type, value));
        else
            WriteIntegerInt(path, static_cast<int32_t>(value));
        return;
    case TTypeKind::tkInteger: {
        std::string ident;
        if (options_->TypedIntegerAsString && IntToIdent(type, value, ident))
            WriteStringInt(path, ident);
        else
            WriteIntegerInt(path, static_cast<int32_t>(value));
        return;
    }
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        WriteIntegerInt(path, static_cast<int32_t>(value));
        return;
    default:
        throw EBvAppStorageError("Invalid type");
    }
}

std::string TBvCustomAppStorage::CharElementName(int code) const {
    bool alnum = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
                 (code >= 'a' && code <= 'z');
    // Anything else ("\", "/", "." or a blank) could not stand in a value name.
    return alnum ? std::string("Char_") + static_cast<char>(code) : "Char#" + IntToStr(code);
}

std::string TBvCustomAppStorage::IntElementName(int64_t value) const {
    return "Int_" + IntToStr(value);
}

std::string TBvCustomAppStorage::ElementName(const TTypeInfo* element, int64_t ordinal) const {
    switch (element->Kind) {
    case TTypeKind::tkEnumeration:
        return GetEnumName(element, ordinal);
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        return CharElementName(static_cast<int>(ordinal));
    default:
        return IntElementName(ordinal);
    }
}

namespace {

const TTypeInfo* SetElementType(const TTypeInfo* setType) {
    const TTypeInfo* e = setType ? setType->BaseType : nullptr;
    if (!e || (e->Kind != TTypeKind::tkEnumeration && e->Kind != TTypeKind::tkChar &&
               e->Kind != TTypeKind::tkWChar && e->Kind != TTypeKind::tkInteger))
        throw EBvAppStorageError("Unknown base type for given set");
    return e;
}

} // namespace

void TBvCustomAppStorage::ReadSet(const std::string& path, const TTypeInfo* setType,
                                  TSetValue defaultValue, TSetValue& value) {
    const TTypeInfo* e = SetElementType(setType);
    if (IsFolder(path, true)) {
        TSetValue v = 0;
        for (int64_t o = e->MinValue; o <= e->MaxValue && o - e->MinValue < 64; ++o)
            if (ReadBoolean(path + "\\" + ElementName(e, o), false))
                v |= TSetValue{1} << (o - e->MinValue);
        value = v;
        return;
    }
    if (Missing(path)) {
        value = defaultValue;
        return;
    }
    try {
        std::string text = ReadStoredText(path, SetToText(setType, defaultValue, true, false));
        TSetValue v = 0;
        TextToSet(setType, v, text);
        value = v;
    } catch (const ERtRTTIError& err) {
        // An element the type does not have is a conversion error of the stored text.
        if (options_->DefaultIfReadConvertError) {
            value = defaultValue;
            return;
        }
        throw EConvertError(err.Message());
    } catch (const EConvertError&) {
        if (!options_->DefaultIfReadConvertError)
            throw;
        value = defaultValue;
    }
}

void TBvCustomAppStorage::WriteSet(const std::string& path, const TTypeInfo* setType,
                                   TSetValue value) {
    const TTypeInfo* e = SetElementType(setType);
    if (options_->SetAsString) {
        WriteStringInt(path, SetToText(setType, value, true, false));
        return;
    }
    for (int64_t o = e->MinValue; o <= e->MaxValue && o - e->MinValue < 64; ++o)
        WriteBoolean(path + "\\" + ElementName(e, o), (value >> (o - e->MinValue)) & 1);
}

std::string TBvCustomAppStorage::TranslatePropertyName(TPersistent* instance,
                                                       const std::string& name, bool reading) {
    std::string result = name;
    if (OnTranslatePropertyName)
        OnTranslatePropertyName(this, instance, result, reading);
    return result;
}

bool TBvCustomAppStorage::IsPropertyValueCryptEnabled() const {
    // Both ways or neither: a value encrypted with no way back would never read again.
    return cryptEnabledCount_ > 0 && OnEncryptPropertyValue && OnDecryptPropertyValue;
}

std::string TBvCustomAppStorage::EncryptPropertyValue(const std::string& value) {
    if (!IsPropertyValueCryptEnabled())
        return value;
    std::string v = value;
    OnEncryptPropertyValue(v);
    return EncodeBase64Text(v);
}

std::string TBvCustomAppStorage::DecryptPropertyValue(const std::string& value) {
    if (!IsPropertyValueCryptEnabled())
        return value;
    std::string v = DecodeBase64Text(value);
    OnDecryptPropertyValue(v);
    return v;
}

void TBvCustomAppStorage::EndUpdate() {
    if (updateCount_ > 0)
        --updateCount_;
}

void TBvCustomAppStorage::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove)
        if (auto* storage = dynamic_cast<TBvCustomAppStorage*>(component))
            subStorages_.StorageGone(storage);
}

void TBvCustomAppStorage::Loaded() {
    TComponent::Loaded();
    if (!Updating())
        Reload();
}
