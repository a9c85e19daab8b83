// The framework's string lists with the behaviour the program relies on:
// Text joined with CR LF and split at CR, LF or CR LF, IndexOf without regard
// to case, sorting by the locale-aware comparison.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What one change did to a list's entries, so that a view can follow it entry by entry.
enum class TStringsChangeKind { Inserted, Deleted, Replaced, Exchanged, Moved, Reset };
struct TStringsChange {
    TStringsChangeKind Kind = TStringsChangeKind::Reset;
    // Inserted, Deleted, Replaced: the entry; Exchanged: both entries; Moved: from and to.
    int Index = -1;
    int Other = -1;
};

class TStrings : public TObject {
public:
    TStrings() = default;
    TStrings(const TStrings& other) = default;
    TStrings& operator=(const TStrings& other) = default;
    ~TStrings() override = default;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // Makes room for this many entries in all, so adding up to that many moves none.
    void Reserve(int count) {
        if (count > Count()) {
            items_.reserve(static_cast<size_t>(count));
            if (!objects_.empty())
                objects_.reserve(static_cast<size_t>(count));
        }
    }

    // Indexed access raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    const std::string& Get(int index) const;
    void Put(int index, std::string value);
    const std::string& operator[](int index) const { return Get(index); }

    TObject* GetObject(int index) const;
    void PutObject(int index, TObject* object);

    virtual int Add(std::string value);
    int AddObject(std::string value, TObject* object);
    void AddStrings(const TStrings& other);
    // Appends other's entries, moving their texts rather than copying them, and empties other.
    // The entries go in through AddObject and other is emptied through Clear, so a sorted
    // list still sorts and a control's list still tells its control.
    void MoveStringsFrom(TStrings& other);
    // Appends the texts, moving them, with no objects, and empties `texts`. A plain unsorted
    // list that is empty takes the whole vector at once, as one change; any other list
    // takes them one by one, as MoveStringsFrom does.
    void AppendMoved(std::vector<std::string>& texts);
    virtual void Insert(int index, std::string value);
    // Virtual, like Add and Insert, so that a list whose entries live in a control can route
    // every change through that control's messages.
    virtual void InsertObject(int index, std::string value, TObject* object);
    virtual void Delete(int index);
    void Exchange(int a, int b);
    void Move(int from, int to);
    virtual void Clear();
    void Assign(const TStrings& other);

    // First index whose text equals value by AnsiCompareText; -1 when none.
    virtual int IndexOf(std::string_view value) const;
    int IndexOfObject(const TObject* object) const;

    // Every entry followed by CR LF.
    std::string Text() const;
    // Replaces the entries with the lines of text; a final line break adds no empty entry.
    void SetText(std::string_view text);
    // "Name=Value" helpers.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    void SetValue(std::string_view name, std::string_view value);

    // The whole file's lines (CR, LF or CR LF) / every entry followed by CR LF.
    void LoadFromFile(std::string_view fileName);
    void SaveToFile(std::string_view fileName) const;

    void BeginUpdate() {
        if (updateCount_++ == 0)
            SetUpdateState(true);
    }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    std::function<void(TStrings&)> OnChange;
    // Told of every change as soon as it is made, inside BeginUpdate/EndUpdate too.
    std::function<void(TStrings&, const TStringsChange&)> OnItemChange;

    const std::vector<std::string>& Items() const { return items_; }

protected:
    // Called when the first BeginUpdate starts an update and the last EndUpdate ends it.
    virtual void SetUpdateState(bool) {}
    void CheckIndex(int index, bool allowEnd = false) const;
    void Changed();
    void ItemChanged(TStringsChangeKind kind, int index = -1, int other = -1);

    // The object of an entry, null for most: a list whose every object is null (the tables of
    // a large library) keeps no objects at all.
    TObject* ObjectAt(size_t index) const { return objects_.empty() ? nullptr : objects_[index]; }
    // Gives every entry its place among the objects before one is set.
    void KeepObjects() {
        if (objects_.size() != items_.size())
            objects_.resize(items_.size(), nullptr);
    }

    std::vector<std::string> items_;
    // Empty while every object is null, else one per entry.
    std::vector<TObject*> objects_;
    int updateCount_ = 0;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) {
        for (const auto& l : lines)
            Add(l);
    }

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates = TDuplicates::dupIgnore;
    bool CaseSensitive = false;

    int Add(std::string value) override;
    void Insert(int index, std::string value) override;
    int IndexOf(std::string_view value) const override;
    // Sorts with AnsiCompareText (AnsiCompareStr when CaseSensitive); stable.
    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);
    // Binary search of a sorted list: true and the index when found, else the insert position.
    bool Find(std::string_view value, int& index) const;

private:
    int CompareStrings(std::string_view a, std::string_view b) const;
    bool sorted_ = false;
};

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File open modes: an access mode or'ed with a share mode, or fmCreate alone.
// Share modes are accepted and not enforced: nothing else on this system opens
// the program's files with Windows sharing rules.
enum : uint16_t {
    fmCreate = 0xFFFF,
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
};

class TStream : public TObject {
public:
    // Bytes read or written; fewer at the end of the data or on an error.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // The new position; -1 when the stream cannot seek there.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    // Raise EReadError "Stream read error" / EWriteError "Stream write error"
    // (with the system's reason when there is one) on a short transfer.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);
    // Copies count bytes (all from the start when count is 0) from source.
    int64_t CopyFrom(TStream& source, int64_t count);

protected:
    int lastError_ = 0;
};

// A stream over an open file descriptor, which it does not own.
class THandleStream : public TStream {
public:
    explicit THandleStream(int handle) : handle_(handle) {}
    int Handle() const { return handle_; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

protected:
    int handle_ = -1;
};

// A file opened by its Windows-form name. Raises EFOpenError "Cannot open file
// \"%s\". %s" or EFCreateError "Cannot create file \"%s\". %s". A read-only
// file cannot be opened for writing or replaced, as on Windows.
class TFileStream : public THandleStream {
public:
    TFileStream(std::string_view fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;
    void Clear();
    char* Memory() { return data_.data(); }
    const std::string& Data() const { return data_; }
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest);
    void LoadFromFile(std::string_view fileName);
    void SaveToFile(std::string_view fileName);

private:
    std::string data_;
    int64_t position_ = 0;
};
