#pragma once
// Lists: TList of pointers, TObjectList that can own its objects, and string lists (TStrings, the
// abstract base that other line stores derive from, and TStringList).

#include "platform/base/Object.h"
#include "platform/base/Persistent.h"
#include "platform/base/ScopeGuard.h" // TUpdateBracket for BeginUpdate..EndUpdate
#include "platform/base/Types.h"

#include <functional>
#include <vector>

class TEncoding;
class TStream;

// ---- TList ----

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// <0 when Item1 comes before Item2, 0 when equal, >0 after.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

// A list of pointers. Bad indexes raise EListError "List index out of bounds (<index>)".
// Notify hears of every non-null pointer that enters or leaves the list.
class TList : public TObject {
public:
    TList() = default;
    // Clears the list, but a destructor cannot reach a descendant's Notify: a descendant that
    // acts in Notify clears the list in its own destructor.
    ~TList() override;

    int Add(void* Item);
    void Insert(int Index, void* Item); // Index 0..Count
    void Delete(int Index);
    int Remove(void* Item);    // the index it had, or -1
    void* Extract(void* Item); // removes without deleting (lnExtracted); the item, or null when absent
    int IndexOf(void* Item) const;
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    virtual void Clear();
    void Pack(); // removes the null pointers
    void Sort(const TListSortCompare& Compare);
    void Assign(const TList* Source); // a copy of Source's pointers

    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    void* operator[](int Index) const { return Items(Index); }
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    int Count() const { return int(FList.size()); }
    void SetCount(int NewCount); // grows with null pointers; EListError "List count out of bounds (<n>)"
    int Capacity() const { return int(FList.capacity()); }
    void SetCapacity(int NewCapacity); // EListError "List capacity out of bounds (<n>)" below Count

protected:
    virtual void Notify(void* Ptr, TListNotification Action);

private:
    void CheckIndex(int Index) const;
    std::vector<void*> FList;
};

// A list of objects that, while OwnsObjects (the default), deletes every object that is deleted
// from it, replaced in it or still in it at the end. Extract hands an object back undeleted.
class TObjectList : public TList {
public:
    explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
    ~TObjectList() override;

    int Add(TObject* AObject) { return TList::Add(AObject); }
    void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
    int Remove(TObject* AObject) { return TList::Remove(AObject); }
    TObject* Extract(TObject* AObject) { return static_cast<TObject*>(TList::Extract(AObject)); }
    int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }

    TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
    void SetItems(int Index, TObject* AObject) { TList::SetItems(Index, AObject); }
    TObject* operator[](int Index) const { return Items(Index); }
    TObject* First() const { return Items(0); }
    TObject* Last() const { return Items(Count() - 1); }

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

protected:
    void Notify(void* Ptr, TListNotification Action) override;

private:
    bool FOwnsObjects;
};

// ---- TStrings ----

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Strings, each with an object, over storage that a descendant provides (Get, Put, GetObject,
// PutObject, GetCount, Insert, Delete, Clear). Loading and saving go through LoadFromStream and
// SaveToStream, so a descendant that overrides those changes files too.
class TStrings : public TPersistent {
    DECLARE_CLASS(TStrings, TPersistent)

public:
    TStrings();

    int Count() const { return GetCount(); }
    String Strings(int Index) const { return Get(Index); }
    void SetString(int Index, const String& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObject(int Index, TObject* AObject) { PutObject(Index, AObject); }
    int Capacity() const { return GetCapacity(); }
    virtual void SetCapacity(int) {}

    virtual int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    virtual void AddStrings(const TStrings* Strings);
    // From another list: copies the strings, objects and text settings (line break,
    // delimiters, encodings).
    void Assign(TPersistent* Source) override;
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Insert(int Index, const String& S) = 0;
    virtual void InsertObject(int Index, const String& S, TObject* AObject);
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    virtual int IndexOf(const String& S) const;
    virtual int IndexOfName(const String& Name) const;
    int IndexOfObject(const TObject* AObject) const;
    // Same count and the same strings, letter case included.
    bool Equals(const TStrings* Strings) const;

    // Updates bracketed by BeginUpdate/EndUpdate nest; SetUpdateState hears the outermost
    // begin (true) and end (false).
    void BeginUpdate();
    void EndUpdate();

    // Lines, each followed by LineBreak (the last one only while TrailingLineBreak). Setting
    // splits on CR LF, LF or CR while LineBreak is one of those, else on LineBreak itself;
    // a line break at the very end does not start another line.
    String Text() const { return GetTextStr(); }
    void SetText(const String& Value) { SetTextStr(Value); }
    const String& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const String& Value) { FLineBreak = Value; }
    bool TrailingLineBreak() const { return FTrailingLineBreak; }
    void SetTrailingLineBreak(bool Value) { FTrailingLineBreak = Value; }

    // Items separated by Delimiter. Reading quotes an item that holds the delimiter, the quote
    // character or (unless StrictDelimiter) a space or control character, doubling the quotes
    // inside; a single empty item reads as two quote characters. Setting splits at delimiters
    // and, unless StrictDelimiter, at runs of spaces and control characters outside quotes.
    String DelimitedText() const;
    void SetDelimitedText(const String& Value);
    // DelimitedText with ',' and '"', not strict.
    String CommaText() const;
    void SetCommaText(const String& Value);
    Char Delimiter() const { return FDelimiter; }
    void SetDelimiter(Char Value) { FDelimiter = Value; }
    Char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(Char Value) { FQuoteChar = Value; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

    // Name=Value lines. A line without the separator has an empty name and an empty value.
    Char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(Char Value) { FNameValueSeparator = Value; }
    String Names(int Index) const;
    String ValueFromIndex(int Index) const;
    String Values(const String& Name) const;
    // Replaces the value of Name's line or adds the line; an empty Value deletes the line.
    virtual void SetValue(const String& Name, const String& Value);

    // Loading: a byte-order mark selects the encoding, otherwise Encoding, or DefaultEncoding
    // when that is null. The list is changed only when the whole text decoded. The encoding
    // found is remembered (Encoding()) and WriteBOM set to whether a byte-order mark was there.
    // Saving: Encoding, or else the remembered encoding, or else DefaultEncoding; its preamble
    // first while WriteBOM, then the text. Encodings are not owned by the list.
    virtual void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr);
    virtual void SaveToStream(TStream* Stream, TEncoding* Encoding = nullptr);
    virtual void LoadFromFile(const String& FileName, TEncoding* Encoding = nullptr);
    // The bytes are produced before the file is created, so a failure leaves the old file whole.
    virtual void SaveToFile(const String& FileName, TEncoding* Encoding = nullptr);
    TEncoding* Encoding() const { return FEncoding; }
    TEncoding* DefaultEncoding() const { return FDefaultEncoding; }
    void SetDefaultEncoding(TEncoding* Value); // null restores TEncoding::Default()
    bool WriteBOM() const { return FWriteBOM; }
    void SetWriteBOM(bool Value) { FWriteBOM = Value; }

protected:
    virtual String Get(int Index) const = 0;
    virtual void Put(int Index, const String& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual int GetCount() const = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual String GetTextStr() const;
    virtual void SetTextStr(const String& Value);
    virtual void SetUpdateState(bool Updating);
    // Makes the lines from Count bytes of text in Encoding (a preamble already skipped). Decodes
    // in full before the list is touched, so that text which does not decode leaves it as it was.
    virtual void LoadTextBytes(const Byte* Bytes, size_t Count, TEncoding* Encoding);
    // Comparison for IndexOf and IndexOfName: case-blind here.
    virtual int CompareStrings(const String& S1, const String& S2) const;
    int UpdateCount() const { return FUpdateCount; }

private:
    String GetDelimited(Char Delim, Char Quote, bool Strict) const;
    void SetDelimited(const String& Value, Char Delim, Char Quote, bool Strict);

    int FUpdateCount = 0;
    String FLineBreak;
    bool FTrailingLineBreak = true;
    Char FDelimiter = u',';
    Char FQuoteChar = u'"';
    bool FStrictDelimiter = false;
    Char FNameValueSeparator = u'=';
    TEncoding* FEncoding = nullptr;
    TEncoding* FDefaultEncoding;
    bool FWriteBOM = true;
};

// ---- TStringList ----

class TStringList;
// <0 when line Index1 comes before line Index2, 0 when equal, >0 after.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

// The string list. Bad indexes raise EStringListError "List index out of bounds (<index>)".
// While Sorted, Add and AddObject put a string in its place (Duplicates decides about an equal
// one: dupIgnore returns the index of the one there, dupError raises "String list does not
// allow duplicates", dupAccept adds it), and Insert, SetString and Move raise "Operation not
// allowed on sorted list". Comparison is AnsiCompareText, or AnsiCompareStr while CaseSensitive.
// OnChanging/OnChange fire around each change, but not inside BeginUpdate/EndUpdate: there they
// fire once at the outermost BeginUpdate and EndUpdate.
class TStringList : public TStrings {
    DECLARE_CLASS(TStringList, TStrings)

public:
    TStringList() = default;
    explicit TStringList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
    ~TStringList() override;

    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    void Assign(TPersistent* Source) override; // from a TStringList also Sorted, Duplicates, CaseSensitive
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const String& S) const override;
    void SetValue(const String& Name, const String& Value) override;
    void SetCapacity(int NewCapacity) override; // "List capacity out of bounds (<n>)" below Count

    // Binary search of a sorted list: true when S is there (Index: the first such line), else
    // false and Index is where S would be inserted.
    virtual bool Find(const String& S, int& Index) const;
    // Sorting does nothing while Sorted (the list is in order already).
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value); // a sorted list sorts itself again
    // Deletes the objects of deleted lines and, at the end, of all lines. Replacing a line's
    // object does not delete the old one.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCount() const override { return int(FList.size()); }
    int GetCapacity() const override { return int(FList.capacity()); }
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const String& S1, const String& S2) const override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int Index, const String& S, TObject* AObject);

private:
    struct TStringItem {
        String FString;
        TObject* FObject;
    };
    void CheckIndex(int Index) const;
    void CheckNotSorted() const;
    void SortItems(const TStringListSortCompare& Compare);

    std::vector<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
};
