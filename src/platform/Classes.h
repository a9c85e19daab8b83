// The framework's string lists with the behaviour the program relies on:
// Text joined with CR LF and split at CR, LF or CR LF, IndexOf without regard
// to case, sorting by the locale-aware comparison.
#pragma once

#include "SysUtils.h"

#include <functional>
#include <string>
#include <vector>

class TStrings : public TObject {
public:
    TStrings() = default;
    TStrings(const TStrings& other) = default;
    TStrings& operator=(const TStrings& other) = default;
    ~TStrings() override = default;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    // Indexed access raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    const std::string& Get(int index) const;
    void Put(int index, std::string value);
    const std::string& operator[](int index) const { return Get(index); }

    TObject* GetObject(int index) const;
    void PutObject(int index, TObject* object);

    virtual int Add(std::string value);
    int AddObject(std::string value, TObject* object);
    void AddStrings(const TStrings& other);
    virtual void Insert(int index, std::string value);
    void InsertObject(int index, std::string value, TObject* object);
    void Delete(int index);
    void Exchange(int a, int b);
    void Move(int from, int to);
    void Clear();
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

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    std::function<void(TStrings&)> OnChange;

    const std::vector<std::string>& Items() const { return items_; }

protected:
    void CheckIndex(int index, bool allowEnd = false) const;
    void Changed();

    std::vector<std::string> items_;
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
