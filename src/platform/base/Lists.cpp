#include "platform/base/Lists.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <numeric>

namespace {

String WithNumber(const String& Text, Int64 N) {
    return Text + u" (" + IntToStr(N) + u")";
}

[[noreturn]] void ListError(const String& Text, Int64 N) {
    throw EListError(WithNumber(Text, N));
}
[[noreturn]] void StringListError(const String& Text) {
    throw EStringListError(Text);
}

bool IsBlank(Char C) {
    return C <= u' ';
}

} // namespace

// ---- TList ----

TList::~TList() {
    Clear();
}

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) ListError(u"List index out of bounds", Index);
}

int TList::Add(void* Item) {
    FList.push_back(Item);
    if (Item) Notify(Item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) ListError(u"List index out of bounds", Index);
    FList.insert(FList.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index);
    void* Item = FList[Index];
    FList.erase(FList.begin() + Index);
    if (Item) Notify(Item, lnDeleted);
}

int TList::Remove(void* Item) {
    int Index = IndexOf(Item);
    if (Index >= 0) Delete(Index);
    return Index;
}

void* TList::Extract(void* Item) {
    int Index = IndexOf(Item);
    if (Index < 0) return nullptr;
    FList.erase(FList.begin() + Index);
    if (Item) Notify(Item, lnExtracted);
    return Item;
}

int TList::IndexOf(void* Item) const {
    auto It = std::find(FList.begin(), FList.end(), Item);
    return It == FList.end() ? -1 : int(It - FList.begin());
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    void* Item = FList[CurIndex];
    FList.erase(FList.begin() + CurIndex);
    FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Clear() {
    SetCount(0);
    std::vector<void*>().swap(FList);
}

void TList::Pack() {
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Sort(const TListSortCompare& Compare) {
    std::stable_sort(FList.begin(), FList.end(), [&](void* A, void* B) { return Compare(A, B) < 0; });
}

void TList::Assign(const TList* Source) {
    if (Source == this) return;
    Clear();
    for (void* Item : Source->FList)
        Add(Item);
}

void* TList::Items(int Index) const {
    CheckIndex(Index);
    return FList[Index];
}

void TList::SetItems(int Index, void* Item) {
    CheckIndex(Index);
    void* Old = FList[Index];
    if (Item == Old) return;
    FList[Index] = Item;
    if (Old) Notify(Old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0) ListError(u"List count out of bounds", NewCount);
    if (NewCount >= Count()) {
        FList.resize(size_t(NewCount), nullptr);
        return;
    }
    // One by one from the end, so that Notify sees each item leave.
    while (Count() > NewCount)
        Delete(Count() - 1);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count()) ListError(u"List capacity out of bounds", NewCapacity);
    if (NewCapacity > Capacity()) {
        FList.reserve(size_t(NewCapacity));
    } else if (NewCapacity < Capacity()) {
        std::vector<void*> Copy;
        Copy.reserve(size_t(NewCapacity));
        Copy.assign(FList.begin(), FList.end());
        FList.swap(Copy);
    }
}

void TList::Notify(void*, TListNotification) {}

// ---- TObjectList ----

TObjectList::~TObjectList() {
    Clear();
}

void TObjectList::Notify(void* Ptr, TListNotification Action) {
    if (FOwnsObjects && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
    TList::Notify(Ptr, Action);
}

// ---- TStrings ----

TStrings::TStrings() : FLineBreak(u"\r\n"), FDefaultEncoding(TEncoding::Default()) {}

int TStrings::Add(const String& S) {
    int Result = Count();
    Insert(Result, S);
    return Result;
}

int TStrings::AddObject(const String& S, TObject* AObject) {
    int Result = Add(S);
    PutObject(Result, AObject);
    return Result;
}

void TStrings::AddStrings(const TStrings* Strings) {
    TUpdateBracket Update(*this);
    for (int I = 0; I < Strings->Count(); ++I)
        AddObject(Strings->Get(I), Strings->GetObject(I));
}

void TStrings::Assign(TPersistent* ASource) {
    auto* Source = dynamic_cast<TStrings*>(ASource);
    if (!Source) {
        TPersistent::Assign(ASource);
        return;
    }
    if (Source == this) return;
    TUpdateBracket Update(*this);
    Clear();
    FLineBreak = Source->FLineBreak;
    FTrailingLineBreak = Source->FTrailingLineBreak;
    FDelimiter = Source->FDelimiter;
    FQuoteChar = Source->FQuoteChar;
    FStrictDelimiter = Source->FStrictDelimiter;
    FNameValueSeparator = Source->FNameValueSeparator;
    FEncoding = Source->FEncoding;
    FDefaultEncoding = Source->FDefaultEncoding;
    FWriteBOM = Source->FWriteBOM;
    AddStrings(Source);
}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Put(int Index, const String& S) {
    TObject* Object = GetObject(Index);
    TUpdateBracket Update(*this);
    Delete(Index);
    InsertObject(Index, S, Object);
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::Exchange(int Index1, int Index2) {
    TUpdateBracket Update(*this);
    String S = Get(Index1);
    TObject* O = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, S);
    PutObject(Index2, O);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    TUpdateBracket Update(*this);
    String S = Get(CurIndex);
    TObject* O = GetObject(CurIndex);
    PutObject(CurIndex, nullptr); // so that a list owning its objects does not delete it
    Delete(CurIndex);
    InsertObject(NewIndex, S, O);
}

int TStrings::IndexOf(const String& S) const {
    for (int I = 0; I < Count(); ++I)
        if (CompareStrings(Get(I), S) == 0) return I;
    return -1;
}

int TStrings::IndexOfName(const String& Name) const {
    for (int I = 0; I < Count(); ++I) {
        String S = Get(I);
        size_t P = S.find(FNameValueSeparator);
        if (P != String::npos && CompareStrings(S.substr(0, P), Name) == 0) return I;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int I = 0; I < Count(); ++I)
        if (GetObject(I) == AObject) return I;
    return -1;
}

bool TStrings::Equals(const TStrings* Strings) const {
    if (Count() != Strings->Count()) return false;
    for (int I = 0; I < Count(); ++I)
        if (Get(I) != Strings->Get(I)) return false;
    return true;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return; // unbalanced: nothing to end
    if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const String& S1, const String& S2) const {
    return AnsiCompareText(S1, S2);
}

String TStrings::GetTextStr() const {
    String Result;
    int N = Count();
    for (int I = 0; I < N; ++I) {
        Result += Get(I);
        if (I < N - 1 || FTrailingLineBreak) Result += FLineBreak;
    }
    return Result;
}

void TStrings::SetTextStr(const String& Value) {
    TUpdateBracket Update(*this);
    Clear();
    const size_t N = Value.size();
    size_t P = 0;
    if (FLineBreak == u"\r\n" || FLineBreak == u"\n" || FLineBreak == u"\r") {
        while (P < N) {
            size_t Start = P;
            while (P < N && Value[P] != u'\r' && Value[P] != u'\n')
                ++P;
            Add(Value.substr(Start, P - Start));
            if (P < N && Value[P] == u'\r') ++P;
            if (P < N && Value[P] == u'\n') ++P;
        }
    } else if (!FLineBreak.empty()) {
        while (P < N) {
            size_t End = Value.find(FLineBreak, P);
            if (End == String::npos) End = N;
            Add(Value.substr(P, End - P));
            P = End == N ? N : End + FLineBreak.size();
        }
    } else if (N > 0) {
        Add(Value);
    }
}

String TStrings::GetDelimited(Char Delim, Char Quote, bool Strict) const {
    int N = Count();
    if (N == 1 && Get(0).empty()) return String{Quote, Quote};
    String Result;
    for (int I = 0; I < N; ++I) {
        String S = Get(I);
        bool NeedsQuotes = std::any_of(
            S.begin(), S.end(), [&](Char C) { return C == Quote || C == Delim || (!Strict && IsBlank(C)); });
        if (I > 0) Result += Delim;
        if (!NeedsQuotes) {
            Result += S;
            continue;
        }
        Result += Quote;
        for (Char C : S) {
            Result += C;
            if (C == Quote) Result += C;
        }
        Result += Quote;
    }
    return Result;
}

void TStrings::SetDelimited(const String& Value, Char Delim, Char Quote, bool Strict) {
    TUpdateBracket Update(*this);
    Clear();
    const size_t N = Value.size();
    size_t P = 0;
    auto SkipBlanks = [&] {
        if (!Strict)
            while (P < N && IsBlank(Value[P]))
                ++P;
    };
    SkipBlanks();
    while (P < N) {
        String S;
        if (Value[P] == Quote) {
            // A quoted item runs to the lone closing quote (or the end); doubled quotes are one.
            ++P;
            while (P < N) {
                if (Value[P] == Quote) {
                    ++P;
                    if (P >= N || Value[P] != Quote) break;
                }
                S += Value[P++];
            }
        } else {
            size_t Start = P;
            while (P < N && Value[P] != Delim && (Strict || !IsBlank(Value[P])))
                ++P;
            S = Value.substr(Start, P - Start);
        }
        Add(S);
        SkipBlanks();
        if (P < N && Value[P] == Delim) {
            if (P + 1 == N) Add(String()); // a delimiter at the end ends an empty item
            ++P;
            SkipBlanks();
        }
    }
}

String TStrings::DelimitedText() const {
    return GetDelimited(FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const String& Value) {
    SetDelimited(Value, FDelimiter, FQuoteChar, FStrictDelimiter);
}

String TStrings::CommaText() const {
    return GetDelimited(u',', u'"', false);
}

void TStrings::SetCommaText(const String& Value) {
    SetDelimited(Value, u',', u'"', false);
}

String TStrings::Names(int Index) const {
    String S = Get(Index);
    size_t P = S.find(FNameValueSeparator);
    return P == String::npos ? String() : S.substr(0, P);
}

String TStrings::ValueFromIndex(int Index) const {
    String S = Get(Index);
    size_t P = S.find(FNameValueSeparator);
    return P == String::npos ? String() : S.substr(P + 1);
}

String TStrings::Values(const String& Name) const {
    int I = IndexOfName(Name);
    return I >= 0 ? ValueFromIndex(I) : String();
}

void TStrings::SetValue(const String& Name, const String& Value) {
    int I = IndexOfName(Name);
    if (Value.empty()) {
        if (I >= 0) Delete(I);
    } else if (I < 0) {
        Add(Name + FNameValueSeparator + Value);
    } else {
        Put(I, Name + FNameValueSeparator + Value);
    }
}

void TStrings::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    TBytes Bytes = ReadAllBytes(*Stream);
    TEncoding* Found = nullptr;
    size_t Skip = TEncoding::GetBufferEncoding(Bytes, Found, Encoding ? Encoding : FDefaultEncoding);
    LoadTextBytes(Bytes.data() + Skip, Bytes.size() - Skip, Found);
    FEncoding = Found;
    FWriteBOM = Skip > 0;
}

void TStrings::LoadTextBytes(const Byte* Bytes, size_t Count, TEncoding* Encoding) {
    const String Text = Encoding->GetString(Bytes, Count);
    TUpdateBracket Update(*this);
    SetTextStr(Text);
}

void TStrings::SaveToStream(TStream* Stream, TEncoding* Encoding) {
    if (!Encoding) Encoding = FEncoding ? FEncoding : FDefaultEncoding;
    // Encoded in full before the stream is touched, so that an encoding error writes nothing.
    const TBytes Preamble = FWriteBOM ? Encoding->GetPreamble() : TBytes();
    const TBytes Body = Encoding->GetBytes(GetTextStr());
    Stream->WriteBuffer(Preamble.data(), Int64(Preamble.size()));
    Stream->WriteBuffer(Body.data(), Int64(Body.size()));
}

void TStrings::LoadFromFile(const String& FileName, TEncoding* Encoding) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream, Encoding);
}

void TStrings::SaveToFile(const String& FileName, TEncoding* Encoding) {
    // Whole, beside the file and renamed over it: an interrupted save leaves the old file.
    TMemoryStream Bytes;
    SaveToStream(&Bytes, Encoding);
    Bytes.SaveToFile(FileName);
}

void TStrings::SetDefaultEncoding(TEncoding* Value) {
    FDefaultEncoding = Value ? Value : TEncoding::Default();
}

// ---- TStringList ----

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects)
        for (auto& Item : FList)
            delete Item.FObject;
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) StringListError(WithNumber(u"List index out of bounds", Index));
}

void TStringList::CheckNotSorted() const {
    if (FSorted) StringListError(u"Operation not allowed on sorted list");
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const String& S1, const String& S2) const {
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStringList::Add(const String& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const String& S, TObject* AObject) {
    int Index = GetCount();
    if (FSorted && Find(S, Index)) {
        if (FDuplicates == dupIgnore) return Index;
        if (FDuplicates == dupError) StringListError(u"String list does not allow duplicates");
    }
    InsertItem(Index, S, AObject);
    return Index;
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
    Changing();
    FList.insert(FList.begin() + Index, TStringItem{S, AObject});
    Changed();
}

void TStringList::Insert(int Index, const String& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
    CheckNotSorted();
    if (Index < 0 || Index > GetCount()) StringListError(WithNumber(u"List index out of bounds", Index));
    InsertItem(Index, S, AObject);
}

void TStringList::Assign(TPersistent* Source) {
    if (Source == this) return;
    auto* List = dynamic_cast<const TStringList*>(Source);
    TUpdateBracket Update(*this);
    if (List) {
        // Copied in the source's order, which already follows the source's own sorting rules.
        FSorted = false;
        TStrings::Assign(Source);
        FCaseSensitive = List->FCaseSensitive;
        FDuplicates = List->FDuplicates;
        FSorted = List->FSorted;
    } else {
        TStrings::Assign(Source);
    }
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    std::vector<TStringItem> Old;
    Old.swap(FList);
    if (FOwnsObjects)
        for (auto& Item : Old)
            delete Item.FObject;
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    TObject* Object = FList[Index].FObject;
    FList.erase(FList.begin() + Index);
    if (FOwnsObjects) delete Object;
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(FList[Index1], FList[Index2]);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    CheckNotSorted();
    Changing();
    TStringItem Item = std::move(FList[CurIndex]);
    FList.erase(FList.begin() + CurIndex);
    FList.insert(FList.begin() + NewIndex, std::move(Item));
    Changed();
}

int TStringList::IndexOf(const String& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int Index;
    return Find(S, Index) ? Index : -1;
}

void TStringList::SetValue(const String& Name, const String& Value) {
    int I = IndexOfName(Name);
    if (!FSorted || Value.empty() || I < 0) {
        TStrings::SetValue(Name, Value);
        return;
    }
    // A sorted list cannot change a line in place: the new line takes its own place.
    TUpdateBracket Update(*this);
    Delete(I);
    Add(Name + NameValueSeparator() + Value);
}

bool TStringList::Find(const String& S, int& Index) const {
    // The lower bound: among equal lines the first, whatever Duplicates says.
    int L = 0, H = GetCount() - 1;
    bool Found = false;
    while (L <= H) {
        int I = (L + H) / 2;
        int C = CompareStrings(FList[I].FString, S);
        if (C < 0) {
            L = I + 1;
        } else {
            H = I - 1;
            Found = Found || C == 0;
        }
    }
    Index = L;
    return Found;
}

void TStringList::SortItems(const TStringListSortCompare& Compare) {
    if (FList.size() < 2) return;
    Changing();
    // The comparison takes indexes, so the order is worked out on the side and applied at once.
    std::vector<int> Order(FList.size());
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) { return Compare(this, A, B) < 0; });
    std::vector<TStringItem> Sorted;
    Sorted.reserve(FList.size());
    for (int I : Order)
        Sorted.push_back(std::move(FList[I]));
    FList.swap(Sorted);
    Changed();
}

void TStringList::Sort() {
    CustomSort([](TStringList* List, int A, int B) {
        return List->CompareStrings(List->FList[A].FString, List->FList[B].FString);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    if (!FSorted) SortItems(Compare);
}

void TStringList::SetSorted(bool Value) {
    if (Value == FSorted) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive) return;
    FCaseSensitive = Value;
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < GetCount()) StringListError(WithNumber(u"List capacity out of bounds", NewCapacity));
    if (NewCapacity > GetCapacity()) {
        FList.reserve(size_t(NewCapacity));
    } else if (NewCapacity < GetCapacity()) {
        std::vector<TStringItem> Copy;
        Copy.reserve(size_t(NewCapacity));
        for (auto& Item : FList)
            Copy.push_back(std::move(Item));
        FList.swap(Copy);
    }
}

String TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FList[Index].FString;
}

void TStringList::Put(int Index, const String& S) {
    CheckNotSorted();
    CheckIndex(Index);
    Changing();
    FList[Index].FString = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return FList[Index].FObject;
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[Index].FObject = AObject;
    Changed();
}
