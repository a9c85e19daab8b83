// An application storage kept in memory for tests; it logs every primitive it is asked.
#pragma once

#include "BvAppStorage.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

class TMemoryStorage : public TBvCustomAppStorage {
public:
    struct Binary {
        std::string bytes;
    };
    using Value = std::variant<int32_t, double, std::string, Binary>;

    explicit TMemoryStorage(TComponent* owner = nullptr, int* flushes = nullptr)
        : TBvCustomAppStorage(owner), flushes_(flushes) {}
    ~TMemoryStorage() override { Flush(); }

    void Flush() override {
        if (flushes_)
            ++*flushes_;
    }

    // What the store holds under an absolute path (case-insensitive), for test setup.
    void Put(const std::string& absPath, Value v) { values_[AnsiUpperCase(absPath)] = v; }
    const Value* Get(const std::string& absPath) const {
        auto it = values_.find(AnsiUpperCase(absPath));
        return it == values_.end() ? nullptr : &it->second;
    }
    std::string Text(const std::string& absPath) const {
        const Value* v = Get(absPath);
        if (!v)
            return "<none>";
        if (auto* s = std::get_if<std::string>(v))
            return *s;
        if (auto* i = std::get_if<int32_t>(v))
            return "int " + std::to_string(*i);
        if (auto* d = std::get_if<double>(v))
            return "float " + FloatToInvariantText(*d);
        return "binary";
    }
    size_t Size() const { return values_.size(); }

    std::vector<std::string> Log;
    bool ReadOnlyStore = false;
    bool IsReadOnlyStore() const override { return ReadOnlyStore; }

protected:
    std::string Key(const std::string& path) const { return AnsiUpperCase(GetAbsPath(path)); }
    void Note(const char* op, const std::string& path) {
        Log.push_back(std::string(op) + " " + GetAbsPath(path));
    }

    void EnumFolders(const std::string& path, TStrings*, bool) override {
        Note("EnumFolders", path);
    }
    void EnumValues(const std::string& path, TStrings*, bool) override { Note("EnumValues", path); }
    bool IsFolderInt(const std::string& path, bool) override {
        Note("IsFolder", path);
        std::string prefix = Key(path) + "\\";
        for (auto& kv : values_)
            if (kv.first.compare(0, prefix.size(), prefix) == 0)
                return true;
        return false;
    }
    bool PathExistsInt(const std::string& path) override {
        Note("PathExists", path);
        return values_.count(Key(path)) != 0;
    }
    bool ValueStoredInt(const std::string& path) override {
        Note("ValueStored", path);
        return values_.count(Key(path)) != 0;
    }
    void DeleteValueInt(const std::string& path) override {
        Note("DeleteValue", path);
        values_.erase(Key(path));
    }
    void DeleteSubTreeInt(const std::string& path) override {
        Note("DeleteSubTree", path);
        std::string key = Key(path);
        for (auto it = values_.begin(); it != values_.end();)
            it = it->first == key || it->first.compare(0, key.size() + 1, key + "\\") == 0
                     ? values_.erase(it)
                     : std::next(it);
    }
    int32_t DoReadInteger(const std::string& path, int32_t d) override {
        Note("ReadInteger", path);
        auto it = values_.find(Key(path));
        if (it == values_.end())
            return d;
        if (auto* i = std::get_if<int32_t>(&it->second))
            return *i;
        if (auto* s = std::get_if<std::string>(&it->second))
            return StrToInt(*s);
        throw EConvertError("not an integer");
    }
    void DoWriteInteger(const std::string& path, int32_t v) override {
        Note("WriteInteger", path);
        values_[Key(path)] = v;
    }
    double DoReadFloat(const std::string& path, double d) override {
        Note("ReadFloat", path);
        auto it = values_.find(Key(path));
        if (it == values_.end())
            return d;
        if (auto* f = std::get_if<double>(&it->second))
            return *f;
        throw EConvertError("not a float");
    }
    void DoWriteFloat(const std::string& path, double v) override {
        Note("WriteFloat", path);
        values_[Key(path)] = v;
    }
    std::string DoReadString(const std::string& path, const std::string& d) override {
        Note("ReadString", path);
        auto it = values_.find(Key(path));
        if (it == values_.end())
            return d;
        if (auto* s = std::get_if<std::string>(&it->second))
            return *s;
        throw EConvertError("not a text");
    }
    void DoWriteString(const std::string& path, const std::string& v) override {
        Note("WriteString", path);
        values_[Key(path)] = v;
    }
    std::string DoReadBinary(const std::string& path) override {
        Note("ReadBinary", path);
        auto it = values_.find(Key(path));
        if (it == values_.end())
            return {};
        if (auto* b = std::get_if<Binary>(&it->second))
            return b->bytes;
        throw EConvertError("not binary");
    }
    void DoWriteBinary(const std::string& path, const std::string& bytes) override {
        Note("WriteBinary", path);
        values_[Key(path)] = Binary{bytes};
    }

private:
    std::map<std::string, Value> values_;
    int* flushes_;
};
