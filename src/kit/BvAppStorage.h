// Application storage: typed values under paths of folder names, with the conversions the
// options ask for, optional encryption of texts and sub-storages mounted under root paths. A
// concrete store (a file, memory) implements the primitives and nothing else.
#pragma once

#include "Component.h"
#include "RtRTTI.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(EBvAppStorageError, EBvException);

// How the user's locale writes numbers and dates; values written by the storage are always in
// the invariant form, these are only the second try when reading.
struct TBvStorageFormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    // "dmy", "mdy" or "ymd": the order of the parts of a short date.
    std::string DateOrder = "mdy";
    // From the C library's current locale.
    static TBvStorageFormatSettings FromLocale();
};

// Floats and dates in the one form every locale reads back: "." as the decimal point, the
// shortest text that reads back to the same number, and ISO 8601 dates.
std::string FloatToInvariantText(double value);
bool TryInvariantTextToFloat(const std::string& text, double& value);
std::string DateTimeToInvariantText(TDateTime value);
bool TryInvariantTextToDateTime(const std::string& text, TDateTime& value);
bool TryLocaleTextToFloat(const std::string& text, const TBvStorageFormatSettings& fs,
                          double& value);
bool TryLocaleTextToDateTime(const std::string& text, const TBvStorageFormatSettings& fs,
                             TDateTime& value);

class TBvCustomAppStorageOptions : public TPersistent {
    BV_CLASS_INFO()
public:
    TBvCustomAppStorageOptions();
    void Assign(const TPersistent& source) override;

    std::string BooleanStringTrueValues() const { return trueValues_; }
    void SetBooleanStringTrueValues(const std::string& value);
    std::string BooleanStringFalseValues() const { return falseValues_; }
    void SetBooleanStringFalseValues(const std::string& value);
    bool BooleanAsString() const { return booleanAsString_; }
    // Stays False while either list has no first entry to write.
    void SetBooleanAsString(bool value);

    bool EnumerationAsString = true;
    bool TypedIntegerAsString = true;
    bool SetAsString = false;
    bool DateTimeAsString = true;
    bool FloatAsString = false;
    bool DefaultIfReadConvertError = false;
    bool DefaultIfValueNotExists = true;

    bool IsValueTrueString(const std::string& text) const;
    bool IsValueFalseString(const std::string& text) const;
    // The first entry of each list: what is written.
    std::string DefaultTrueString() const;
    std::string DefaultFalseString() const;

private:
    std::string trueValues_ = "TRUE, YES, Y";
    std::string falseValues_ = "FALSE, NO, N";
    bool booleanAsString_ = true;
};

using TBvAppStorageOptions = TBvCustomAppStorageOptions;

class TBvCustomAppStorage;

class TBvAppSubStorage {
public:
    const std::string& RootPath() const { return rootPath_; }
    TBvCustomAppStorage* AppStorage() const { return storage_; }
    // "\" + root path + "=" + the storage's name.
    std::string DisplayName() const;

private:
    friend class TBvAppSubStorages;
    std::string rootPath_;
    TBvCustomAppStorage* storage_ = nullptr;
};

class TBvAppSubStorages {
public:
    explicit TBvAppSubStorages(TBvCustomAppStorage* owner) : owner_(owner) {}
    ~TBvAppSubStorages();
    TBvAppSubStorages(const TBvAppSubStorages&) = delete;
    TBvAppSubStorages& operator=(const TBvAppSubStorages&) = delete;

    // Raises EBvAppStorageError for a root already used, for the owner itself and for a
    // storage that already reaches the owner through its own sub-storages.
    TBvAppSubStorage* Add(const std::string& rootPath, TBvCustomAppStorage* storage);
    void SetRootPath(int index, const std::string& rootPath);
    void SetAppStorage(int index, TBvCustomAppStorage* storage);
    void Delete(int index);
    int Count() const { return static_cast<int>(items_.size()); }
    const TBvAppSubStorage& Items(int index) const;
    // The storage mounted at the longest root that the path lies under; null when none.
    const TBvAppSubStorage* MatchFor(const std::string& fullPath) const;
    bool Reaches(const TBvCustomAppStorage* storage) const;
    void StorageGone(TBvCustomAppStorage* storage);

private:
    TBvCustomAppStorage* owner_;
    std::vector<std::unique_ptr<TBvAppSubStorage>> items_;
};

class TBvCustomAppStorage : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvCustomAppStorage(TComponent* owner);
    // A concrete store flushes in its own destructor: by the time this one runs, its
    // primitives are gone.
    ~TBvCustomAppStorage() override;

    // Joins paths of "\"-separated components: from the last that starts with "\", dots move
    // up ("..": one level, "...": two), a single "." and empty components are dropped.
    static std::string ConcatPaths(const std::vector<std::string>& paths);

    std::string Root() const { return root_; }
    void SetRoot(const std::string& value) { root_ = value; }
    std::string CurrentPath() const { return currentPath_; }
    void SetCurrentPath(const std::string& value) { currentPath_ = ConcatPaths({value}); }
    // Root + "\" + the path resolved against CurrentPath, without leading backslashes.
    std::string GetAbsPath(const std::string& path) const;
    virtual void SplitKeyPath(const std::string& path, std::string& key,
                              std::string& valueName) const;

    TBvCustomAppStorageOptions& StorageOptions() { return *options_; }
    void SetStorageOptions(const TBvCustomAppStorageOptions& value) { options_->Assign(value); }
    TBvAppSubStorages& SubStorages() { return subStorages_; }
    TBvStorageFormatSettings FormatSettings = TBvStorageFormatSettings::FromLocale();

    // The operations other components call; only these route to sub-storages.
    int32_t ReadInteger(const std::string& path, int32_t defaultValue);
    void WriteInteger(const std::string& path, int32_t value);
    std::string ReadString(const std::string& path, const std::string& defaultValue);
    void WriteString(const std::string& path, const std::string& value);
    bool IsFolder(const std::string& path, bool listIsValue = true);
    bool ValueStored(const std::string& path);
    void DeleteSubTree(const std::string& path);

    // Typed values on this storage, with the fallbacks of the options.
    double ReadFloat(const std::string& path, double defaultValue);
    void WriteFloat(const std::string& path, double value);
    TDateTime ReadDateTime(const std::string& path, TDateTime defaultValue);
    void WriteDateTime(const std::string& path, TDateTime value);
    bool ReadBoolean(const std::string& path, bool defaultValue);
    void WriteBoolean(const std::string& path, bool value);
    std::string ReadBinary(const std::string& path);
    void WriteBinary(const std::string& path, const std::string& bytes);
    // Raises EBvAppStorageError "Invalid type" for a type that is none of Boolean,
    // enumeration, integer and character.
    void ReadEnumeration(const std::string& path, const TTypeInfo* type, int64_t defaultValue,
                         int64_t& value);
    void WriteEnumeration(const std::string& path, const TTypeInfo* type, int64_t value);
    // Raises EBvAppStorageError "Unknown base type for given set" for elements that are none
    // of enumeration, character and integer.
    void ReadSet(const std::string& path, const TTypeInfo* setType, TSetValue defaultValue,
                 TSetValue& value);
    void WriteSet(const std::string& path, const TTypeInfo* setType, TSetValue value);

    // The name a published property is stored under.
    std::string TranslatePropertyName(TPersistent* instance, const std::string& name, bool reading);

    // Encryption applies while enabled and both handlers are set.
    void EnablePropertyValueCrypt() { ++cryptEnabledCount_; }
    void DisablePropertyValueCrypt() { --cryptEnabledCount_; }
    bool IsPropertyValueCryptEnabled() const;
    std::string EncryptPropertyValue(const std::string& value);
    std::string DecryptPropertyValue(const std::string& value);

    bool ReadOnly = false;
    bool AutoFlush = false;
    bool AutoReload = false;
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    virtual bool IsReadOnlyStore() const { return false; }
    bool IsReadOnlyTarget() const { return ReadOnly || (!IsDesigning() && IsReadOnlyStore()); }
    virtual void Flush() {}
    virtual void Reload() {}
    bool MustFlush() const { return AutoFlush && !Updating(); }
    bool MustReload() const { return AutoReload && !Updating(); }
    // "Char_x" for letters and digits, "Char#nn" for every other character; "Int_n".
    virtual std::string CharElementName(int code) const;
    virtual std::string IntElementName(int64_t value) const;

    std::function<void(TBvCustomAppStorage*, TPersistent*, std::string&, bool)>
        OnTranslatePropertyName;
    std::function<void(std::string&)> OnEncryptPropertyValue;
    std::function<void(std::string&)> OnDecryptPropertyValue;

protected:
    // The primitives of a concrete store. Paths are as given; GetAbsPath resolves them.
    virtual void EnumFolders(const std::string& path, TStrings* strings,
                             bool reportListAsValue) = 0;
    virtual void EnumValues(const std::string& path, TStrings* strings, bool reportListAsValue) = 0;
    virtual bool IsFolderInt(const std::string& path, bool listIsValue) = 0;
    virtual bool PathExistsInt(const std::string& path) = 0;
    virtual bool ValueStoredInt(const std::string& path) = 0;
    virtual void DeleteValueInt(const std::string& path) = 0;
    virtual void DeleteSubTreeInt(const std::string& path) = 0;
    virtual int32_t DoReadInteger(const std::string& path, int32_t defaultValue) = 0;
    virtual void DoWriteInteger(const std::string& path, int32_t value) = 0;
    virtual double DoReadFloat(const std::string& path, double defaultValue) = 0;
    virtual void DoWriteFloat(const std::string& path, double value) = 0;
    virtual std::string DoReadString(const std::string& path, const std::string& defaultValue) = 0;
    virtual void DoWriteString(const std::string& path, const std::string& value) = 0;
    virtual std::string DoReadBinary(const std::string& path) = 0;
    virtual void DoWriteBinary(const std::string& path, const std::string& bytes) = 0;

    virtual TDateTime DoReadDateTime(const std::string& path, TDateTime defaultValue);
    virtual void DoWriteDateTime(const std::string& path, TDateTime value);
    virtual bool DoReadBoolean(const std::string& path, bool defaultValue);
    virtual void DoWriteBoolean(const std::string& path, bool value);

    // The typed operations on this storage's own path, without routing.
    virtual int32_t ReadIntegerInt(const std::string& path, int32_t defaultValue);
    virtual void WriteIntegerInt(const std::string& path, int32_t value);
    virtual std::string ReadStringInt(const std::string& path, const std::string& defaultValue);
    virtual void WriteStringInt(const std::string& path, const std::string& value);

    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

private:
    friend class TBvAppSubStorages;
    // The storage a path lands on and the path within it.
    TBvCustomAppStorage* Target(const std::string& path, std::string& within);
    bool Missing(const std::string& path);
    // The stored text through decryption, for the typed reads that have already asked
    // whether it is there.
    std::string ReadStoredText(const std::string& path, const std::string& defaultValue);
    template <class T, class F> T WithConvertFallback(T defaultValue, F read);
    std::string ElementName(const TTypeInfo* element, int64_t ordinal) const;

    std::string root_;
    std::string currentPath_;
    std::unique_ptr<TBvCustomAppStorageOptions> options_;
    TBvAppSubStorages subStorages_;
    int cryptEnabledCount_ = 0;
    int updateCount_ = 0;
};
