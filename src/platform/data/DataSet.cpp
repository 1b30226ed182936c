#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"

#include <algorithm>

using namespace DBDetail;

// ---- filter expressions -------------------------------------------------------------------

struct TDataSet::TFilterNode {
    enum TKind { nkOr, nkAnd, nkNot, nkCompare, nkField, nkLiteral } Kind;
    String Op; // for comparisons
    String Name;
    Variant Literal;
    std::shared_ptr<TFilterNode> Left, Right;
};

namespace {

// Numbers in filter text always use a point, whatever the locale says.
const TFormatSettings& PointSettings() {
    static const TFormatSettings FS = [] {
        TFormatSettings R = FormatSettings;
        R.DecimalSeparator = u'.';
        return R;
    }();
    return FS;
}

class TFilterParser {
public:
    using TNode = TDataSet::TFilterNode;
    explicit TFilterParser(const String& Text) : FText(Text) {}

    std::shared_ptr<TNode> Parse() {
        auto Result = ParseOr();
        SkipBlanks();
        if (FPos < FText.size()) Fail(u"unexpected text");
        return Result;
    }

private:
    const String& FText;
    size_t FPos = 0;

    [[noreturn]] void Fail(const String& What) {
        throw EDatabaseError(
            Format(u"Filter expression incorrect: %s at position %d in '%s'", {What, int(FPos + 1), FText}));
    }
    void SkipBlanks() {
        while (FPos < FText.size() && FText[FPos] <= u' ')
            ++FPos;
    }
    bool Keyword(const char16_t* Word) {
        SkipBlanks();
        size_t N = std::char_traits<char16_t>::length(Word);
        if (FPos + N > FText.size() || !SameText(FText.substr(FPos, N), Word)) return false;
        if (FPos + N < FText.size() && (IsLetterOrDigit(FText[FPos + N]) || FText[FPos + N] == u'_'))
            return false;
        FPos += N;
        return true;
    }
    static bool IsLetterOrDigit(Char C) {
        return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9') || C > 127;
    }
    std::shared_ptr<TNode> Binary(TNode::TKind Kind, std::shared_ptr<TNode> L, std::shared_ptr<TNode> R) {
        auto N = std::make_shared<TNode>();
        N->Kind = Kind;
        N->Left = std::move(L);
        N->Right = std::move(R);
        return N;
    }
    std::shared_ptr<TNode> ParseOr() {
        auto L = ParseAnd();
        while (Keyword(u"or"))
            L = Binary(TNode::nkOr, L, ParseAnd());
        return L;
    }
    std::shared_ptr<TNode> ParseAnd() {
        auto L = ParseNot();
        while (Keyword(u"and"))
            L = Binary(TNode::nkAnd, L, ParseNot());
        return L;
    }
    std::shared_ptr<TNode> ParseNot() {
        if (Keyword(u"not")) return Binary(TNode::nkNot, ParseNot(), nullptr);
        SkipBlanks();
        if (FPos < FText.size() && FText[FPos] == u'(') {
            ++FPos;
            auto Inner = ParseOr();
            SkipBlanks();
            if (FPos >= FText.size() || FText[FPos] != u')') Fail(u"')' expected");
            ++FPos;
            return Inner;
        }
        auto L = ParseOperand();
        SkipBlanks();
        static const char16_t* const Ops[] = {u"<>", u"<=", u">=", u"=", u"<", u">"};
        for (const char16_t* Op : Ops) {
            size_t N = std::char_traits<char16_t>::length(Op);
            if (FText.compare(FPos, N, Op) == 0) {
                FPos += N;
                auto C = Binary(TNode::nkCompare, L, ParseOperand());
                C->Op = Op;
                return C;
            }
        }
        Fail(u"comparison expected");
    }
    std::shared_ptr<TNode> ParseOperand() {
        SkipBlanks();
        if (FPos >= FText.size()) Fail(u"operand expected");
        auto N = std::make_shared<TNode>();
        Char C = FText[FPos];
        if (C == u'\'') {
            String S;
            for (++FPos;; ++FPos) {
                if (FPos >= FText.size()) Fail(u"unterminated text");
                if (FText[FPos] == u'\'') {
                    if (FPos + 1 < FText.size() && FText[FPos + 1] == u'\'') {
                        S += u'\'';
                        ++FPos;
                        continue;
                    }
                    ++FPos;
                    break;
                }
                S += FText[FPos];
            }
            N->Kind = TNode::nkLiteral;
            N->Literal = S;
        } else if ((C >= u'0' && C <= u'9') || C == u'-' || C == u'.') {
            size_t Start = FPos++;
            while (FPos < FText.size() &&
                   ((FText[FPos] >= u'0' && FText[FPos] <= u'9') || FText[FPos] == u'.'))
                ++FPos;
            String S = FText.substr(Start, FPos - Start);
            Int64 I;
            double D;
            N->Kind = TNode::nkLiteral;
            if (TryStrToInt64(S, I))
                N->Literal = I;
            else if (TryStrToFloat(S, D, PointSettings()))
                N->Literal = D;
            else
                Fail(u"bad number");
        } else if (C == u'[') {
            size_t End = FText.find(u']', FPos);
            if (End == String::npos) Fail(u"']' expected");
            N->Kind = TNode::nkField;
            N->Name = FText.substr(FPos + 1, End - FPos - 1);
            FPos = End + 1;
        } else if (IsLetterOrDigit(C) || C == u'_') {
            size_t Start = FPos;
            while (FPos < FText.size() && (IsLetterOrDigit(FText[FPos]) || FText[FPos] == u'_'))
                ++FPos;
            N->Name = FText.substr(Start, FPos - Start);
            if (SameText(N->Name, u"null")) {
                N->Kind = TNode::nkLiteral;
                N->Literal = Variant::Null();
            } else
                N->Kind = TNode::nkField;
        } else
            Fail(u"operand expected");
        return N;
    }
};

} // namespace

// ---- the dataset --------------------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {
    FFields.FDataSet = this;
}

TDataSet::~TDataSet() {
    // A concrete dataset closes itself in its own destructor, while its store still exists.
    for (TDataSource* S : FDataSources) {
        S->FDataSet = nullptr;
        for (TDataLink* L : S->FLinks)
            L->DataEvent(deUpdateState, nullptr);
    }
    for (TField* F : FFields.FList)
        F->FDataSet = nullptr;
    FFields.FList.clear();
    FreeDefaultFields();
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(u"Cannot perform this operation on a closed dataset", this);
}

bool TDataSet::InternalExists(Int64 Id) {
    auto Ids = InternalIds();
    return std::find(Ids.begin(), Ids.end(), Id) != Ids.end();
}

void TDataSet::FreeDefaultFields() {
    // Taken out first: a field leaving the dataset takes itself out of these lists.
    std::vector<TField*> Made = std::move(FDefaultFields);
    FDefaultFields.clear();
    for (TField* F : Made) {
        auto& L = FFields.FList;
        L.erase(std::remove(L.begin(), L.end(), F), L.end());
        F->FDataSet = nullptr;
        delete F;
    }
}

void TDataSet::CreateFields() {
    for (int I = 0; I < FFieldDefs.Count(); ++I) {
        const TFieldDef& D = FFieldDefs[I];
        TField* F = CreateFieldOfType(nullptr, D.DataType);
        F->SetFieldName(D.Name);
        F->SetSize(D.Size);
        F->SetRequired(D.Required);
        F->FDataSet = this;
        FFields.FList.push_back(F);
        FDefaultFields.push_back(F);
    }
}

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    if (Value)
        OpenCursor();
    else
        CloseCursor();
}

void TDataSet::OpenCursor() {
    Notify(BeforeOpen);
    bool Opened = false;
    auto Undo = TScopeExit([&] {
        if (Opened) return;
        FreeDefaultFields();
        FView.clear();
        FState = dsInactive;
    });
    InternalOpen();
    bool HasData = std::any_of(FFields.FList.begin(), FFields.FList.end(),
                               [](TField* F) { return F->FieldKind() == fkData; });
    if (!HasData) CreateFields();
    FDataFieldCount = FFieldDefs.Count();
    int Extra = FDataFieldCount;
    for (TField* F : FFields.FList) {
        if (F->FieldKind() == fkData) {
            int I = FFieldDefs.IndexOf(F->FieldName());
            if (I < 0) {
                auto CloseStore = TScopeExit([&] { InternalClose(); });
                DatabaseError(Format(u"Field '%s' not found", {F->FieldName()}), this);
            }
            F->FBufferIndex = I;
            F->FFieldNo = I + 1;
        } else {
            F->FBufferIndex = Extra++;
            F->FFieldNo = 0;
        }
    }
    FState = dsBrowse;
    try {
        BuildView(-1);
    } catch (...) {
        InternalClose();
        throw;
    }
    Opened = true;
    SetCurrent(FView.empty() ? -1 : 0);
    FBof = true;
    FEof = FView.empty();
    DataEvent(deUpdateState);
    Notify(AfterOpen);
}

void TDataSet::CloseCursor() {
    Notify(BeforeClose);
    FState = dsInactive;
    FView.clear();
    FPos = -1;
    FCurrent = FEditBuffer = FOther = TBuffer();
    FOtherPos = -1;
    InternalClose();
    FreeDefaultFields();
    FBof = FEof = true;
    DataEvent(deUpdateState);
    Notify(AfterClose);
}

std::vector<TField*> TDataSet::GetFieldList(const String& Names) const {
    std::vector<TField*> Result;
    for (const String& N : SplitNames(Names))
        Result.push_back(FieldByName(N));
    return Result;
}

std::vector<std::pair<TField*, TIndexOptions>> TDataSet::OrderFields() const {
    std::vector<std::pair<TField*, TIndexOptions>> Result;
    if (!FIndexFieldNames.empty()) {
        for (TField* F : GetFieldList(FIndexFieldNames))
            Result.emplace_back(F, 0);
    } else if (!FIndexName.empty()) {
        const TIndexDef* D = FIndexDefs.Find(FIndexName);
        if (!D) DatabaseError(Format(u"Index '%s' not found", {FIndexName}), this);
        for (TField* F : GetFieldList(D->Fields))
            Result.emplace_back(F, D->Options);
    }
    return Result;
}

void TDataSet::LoadBuffer(TBuffer& B, Int64 Id) {
    B.Id = Id;
    B.Values.assign(size_t(FDataFieldCount), Variant::Null());
    InternalRead(Id, B.Values);
    B.Values.resize(size_t(FDataFieldCount));
    CalcFields(B);
}

void TDataSet::CalcFields(TBuffer& B) {
    size_t Total = size_t(FDataFieldCount);
    for (TField* F : FFields.FList)
        if (F->FieldKind() != fkData) Total = std::max(Total, size_t(F->FBufferIndex + 1));
    B.Values.resize(Total, Variant::Null());
    if (Total == size_t(FDataFieldCount)) return;
    for (size_t I = size_t(FDataFieldCount); I < Total; ++I)
        B.Values[I] = Variant::Null();
    TValueScope<TDataSetState> StateScope(FState, dsCalcFields);
    TValueScope<TBuffer*> BufferScope(FCalcBuffer, &B);
    for (TField* F : FFields.FList) {
        if (F->FieldKind() != fkLookup || !F->LookupDataSet() || !F->LookupDataSet()->Active()) continue;
        std::vector<TField*> Keys = GetFieldList(F->KeyFields);
        TVariantArray KeyValues;
        for (TField* K : Keys)
            KeyValues.push_back(B.Values[size_t(K->FBufferIndex)]);
        Variant Key = KeyValues.size() == 1 ? KeyValues[0] : Variant(KeyValues);
        B.Values[size_t(F->FBufferIndex)] =
            F->LookupDataSet()->Lookup(F->LookupKeyFields, Key, F->LookupResultField);
    }
    if (OnCalcFields) OnCalcFields(this);
}

bool TDataSet::MatchesFilter(const TBuffer& B) {
    if (FFilterTree) {
        std::function<Variant(const TFilterNode&)> Eval = [&](const TFilterNode& N) -> Variant {
            switch (N.Kind) {
            case TFilterNode::nkOr:
                return Eval(*N.Left).AsBoolean() || Eval(*N.Right).AsBoolean();
            case TFilterNode::nkAnd:
                return Eval(*N.Left).AsBoolean() && Eval(*N.Right).AsBoolean();
            case TFilterNode::nkNot:
                return !Eval(*N.Left).AsBoolean();
            case TFilterNode::nkField:
                return B.Values[size_t(FieldByName(N.Name)->FBufferIndex)];
            case TFilterNode::nkLiteral:
                return N.Literal;
            case TFilterNode::nkCompare: {
                Variant L = Eval(*N.Left), R = Eval(*N.Right);
                if (L.IsClear() || R.IsClear()) {
                    bool Same = L.IsClear() && R.IsClear();
                    return N.Op == u"=" ? Same : N.Op == u"<>" ? !Same : false;
                }
                int C = CompareVariants(L, R);
                if (N.Op == u"=") return C == 0;
                if (N.Op == u"<>") return C != 0;
                if (N.Op == u"<") return C < 0;
                if (N.Op == u">") return C > 0;
                if (N.Op == u"<=") return C <= 0;
                return C >= 0;
            }
            }
            return false;
        };
        if (!Eval(*FFilterTree).AsBoolean()) return false;
    }
    if (OnFilterRecord) {
        bool Accept = true;
        TValueScope<TBuffer*> BufferScope(FCalcBuffer, const_cast<TBuffer*>(&B));
        OnFilterRecord(this, Accept);
        if (!Accept) return false;
    }
    return true;
}

void TDataSet::BuildView(Int64 KeepId) {
    std::vector<Int64> Ids = InternalIds();
    auto Order = OrderFields();
    bool Filtering = FFiltered && (FFilterTree || OnFilterRecord);
    std::vector<Int64> View;
    if (Order.empty() && !Filtering) {
        View = std::move(Ids);
    } else {
        std::vector<std::pair<std::vector<Variant>, Int64>> Keyed;
        TBuffer B;
        for (Int64 Id : Ids) {
            LoadBuffer(B, Id);
            if (Filtering && !MatchesFilter(B)) continue;
            std::vector<Variant> Keys;
            for (auto& [F, Opt] : Order)
                Keys.push_back(B.Values[size_t(F->FBufferIndex)]);
            Keyed.emplace_back(std::move(Keys), Id);
        }
        if (!Order.empty())
            std::stable_sort(Keyed.begin(), Keyed.end(), [&](const auto& A, const auto& Bk) {
                for (size_t I = 0; I < Order.size(); ++I) {
                    int C = CompareVariants(A.first[I], Bk.first[I], Order[I].second & ixCaseInsensitive);
                    if (C != 0) return (Order[I].second & ixDescending) ? C > 0 : C < 0;
                }
                return false;
            });
        for (auto& K : Keyed)
            View.push_back(K.second);
    }
    FView = std::move(View);
    FOtherPos = -1;
    int Pos = KeepId >= 0 ? ViewPosOf(KeepId) : -1;
    if (Pos < 0) Pos = FView.empty() ? -1 : std::clamp(FPos, 0, int(FView.size()) - 1);
    SetCurrent(Pos);
}

int TDataSet::ViewPosOf(Int64 Id) const {
    auto It = std::find(FView.begin(), FView.end(), Id);
    return It == FView.end() ? -1 : int(It - FView.begin());
}

void TDataSet::SetCurrent(int Pos) {
    FPos = Pos;
    FOtherPos = -1;
    if (Pos < 0) {
        FCurrent = TBuffer();
        FWindowFirst = 0;
        FActiveRecord = 0;
        return;
    }
    LoadBuffer(FCurrent, FView[size_t(Pos)]);
    if (Pos < FWindowFirst) FWindowFirst = Pos;
    if (Pos >= FWindowFirst + FBufferCount) FWindowFirst = Pos - FBufferCount + 1;
    FWindowFirst = std::clamp(FWindowFirst, 0, std::max(0, int(FView.size()) - FBufferCount));
    FWindowFirst = std::min(FWindowFirst, Pos);
    FActiveRecord = Pos - FWindowFirst;
}

void TDataSet::UpdateBufferCount() {
    int Count = 1;
    for (TDataSource* S : FDataSources)
        for (TDataLink* L : S->FLinks)
            Count = std::max(Count, L->FBufferCount);
    FBufferCount = Count;
    if (Active() && FPos >= 0) SetCurrent(FPos);
}

void TDataSet::SetActiveRecord(int Value) {
    FActiveRecord = Value;
}

const std::vector<Variant>& TDataSet::ActiveValues() const {
    static const std::vector<Variant> None;
    int Pos = FWindowFirst + FActiveRecord;
    if (Pos == FPos || FPos < 0) {
        if (FState == dsEdit || FState == dsInsert) return FEditBuffer.Values;
        return FCurrent.Values;
    }
    if (Pos < 0 || Pos >= int(FView.size())) return None;
    auto* Self = const_cast<TDataSet*>(this);
    if (FOtherPos != Pos) {
        Self->LoadBuffer(Self->FOther, FView[size_t(Pos)]);
        Self->FOtherPos = Pos;
    }
    return FOther.Values;
}

Variant TDataSet::GetFieldValue(const TField* Field) const {
    CheckActive();
    const std::vector<Variant>& Values = FCalcBuffer ? FCalcBuffer->Values : ActiveValues();
    size_t I = size_t(Field->FBufferIndex);
    return I < Values.size() ? Values[I] : Variant::Null();
}

void TDataSet::CheckEditing(const TField* Field) const {
    CheckActive();
    if (FState == dsCalcFields) {
        if (Field->FieldKind() == fkData)
            DatabaseError(Format(u"Field '%s' cannot be modified", {Field->DisplayName()}));
        return;
    }
    if (FState != dsEdit && FState != dsInsert) DatabaseError(u"Dataset not in edit or insert mode", this);
    if (Field->ReadOnly() || Field->FieldKind() != fkData)
        DatabaseError(Format(u"Field '%s' cannot be modified", {Field->DisplayName()}));
}

void TDataSet::SetFieldValue(TField* Field, const Variant& V) {
    CheckEditing(Field);
    if (FState == dsCalcFields) {
        FCalcBuffer->Values[size_t(Field->FBufferIndex)] = V;
        return;
    }
    Variant& Slot = FEditBuffer.Values[size_t(Field->FBufferIndex)];
    Variant Old = Slot;
    Slot = V;
    if (Field->OnValidate) {
        try {
            Field->OnValidate(Field);
        } catch (...) {
            FEditBuffer.Values[size_t(Field->FBufferIndex)] = Old;
            throw;
        }
    }
    FModified = true;
    CalcFields(FEditBuffer);
    if (Field->OnChange) Field->OnChange(Field);
    DataEvent(deFieldChange, Field);
}

void TDataSet::First() {
    CheckBrowseMode();
    Notify(BeforeScroll);
    SetCurrent(FView.empty() ? -1 : 0);
    FBof = true;
    FEof = FView.empty();
    DataEvent(deDataSetChange);
    Notify(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Notify(BeforeScroll);
    SetCurrent(int(FView.size()) - 1);
    FEof = true;
    FBof = FView.empty();
    DataEvent(deDataSetChange);
    Notify(AfterScroll);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    if (Distance == 0 || FView.empty()) {
        if (Distance > 0) FEof = true;
        if (Distance < 0) FBof = true;
        return 0;
    }
    Notify(BeforeScroll);
    Int64 Target = Int64(FPos) + Distance;
    int Last = int(FView.size()) - 1;
    int NewPos = int(std::clamp<Int64>(Target, 0, Last));
    int Moved = NewPos - FPos;
    FEof = Distance > 0 && Target > Last;
    FBof = Distance < 0 && Target < 0;
    if (Moved != 0) {
        const int OldFirst = FWindowFirst;
        SetCurrent(NewPos);
        FScrollDistance = FWindowFirst - OldFirst;
        DataEvent(deDataSetScroll);
        FScrollDistance = 0;
    }
    Notify(AfterScroll);
    return Moved;
}

int TDataSet::RecNo() const {
    if (!Active() || FState == dsInsert || FPos < 0) return -1;
    return FPos + 1;
}

void TDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    if (Value < 1 || Value > int(FView.size())) DatabaseError(Format(u"Record %d not found", {Value}), this);
    MoveBy(Value - 1 - FPos);
}

int TDataSet::RecordCount() const {
    CheckActive();
    return int(FView.size());
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::Edit() {
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) return;
    if (FView.empty()) {
        Insert();
        return;
    }
    if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset", this);
    Notify(BeforeEdit);
    LoadBuffer(FCurrent, FCurrent.Id); // edit what the store holds now
    FEditBuffer = FCurrent;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Notify(AfterEdit);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset", this);
    Notify(BeforeInsert);
    FAppending = false;
    FEditBuffer = TBuffer();
    FEditBuffer.Values.assign(size_t(FDataFieldCount), Variant::Null());
    CalcFields(FEditBuffer);
    SetState(dsInsert);
    if (OnNewRecord) OnNewRecord(this);
    FModified = false;
    DataEvent(deDataSetChange);
    Notify(AfterInsert);
}

void TDataSet::Append() {
    Insert();
    FAppending = true;
}

void TDataSet::Post() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deUpdateRecord);
    for (TField* F : FFields.FList)
        F->CheckRequired();
    Notify(BeforePost);
    std::vector<Variant> Values(FEditBuffer.Values.begin(), FEditBuffer.Values.begin() + FDataFieldCount);
    Int64 Id;
    if (FState == dsEdit) {
        Id = FCurrent.Id;
        InternalUpdate(Id, Values);
    } else {
        Int64 Before = FAppending || FPos < 0 ? -1 : FView[size_t(FPos)];
        Id = InternalInsert(Values, Before);
    }
    FState = dsBrowse;
    FModified = false;
    FEditBuffer = TBuffer();
    BuildView(Id);
    FBof = FEof = false;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    Notify(AfterPost);
}

void TDataSet::Cancel() {
    CheckActive();
    if (FState != dsEdit && FState != dsInsert) return;
    Notify(BeforeCancel);
    FState = dsBrowse;
    FModified = false;
    FEditBuffer = TBuffer();
    SetCurrent(FPos);
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    Notify(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FView.empty()) DatabaseError(u"Cannot perform this operation on an empty dataset", this);
    if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset", this);
    DataEvent(deCheckBrowseMode);
    Notify(BeforeDelete);
    InternalRemove(FCurrent.Id);
    FState = dsBrowse;
    FEditBuffer = TBuffer();
    int Pos = FPos;
    BuildView(-1);
    SetCurrent(FView.empty() ? -1 : std::min(Pos, int(FView.size()) - 1));
    FBof = FView.empty() || FPos == 0;
    FEof = FView.empty();
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    Notify(AfterDelete);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    BuildView(FCurrent.Id);
    DataEvent(deDataSetChange);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        DataEvent(deUpdateRecord);
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount > 0) return;
    if (FDisabledState != FState) DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
}

void TDataSet::Resync() {
    CheckActive();
    if (FPos >= 0 && !InternalExists(FCurrent.Id)) {
        BuildView(-1);
    } else if (FPos >= 0) {
        SetCurrent(FPos);
    }
    DataEvent(deDataSetChange);
}

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || FPos < 0 || FState == dsInsert) return TBookmark();
    return TBookmark{this, FCurrent.Id};
}

TBookmark TDataSet::ActiveBookmark() const {
    if (!Active()) return TBookmark();
    const int Pos = FWindowFirst + FActiveRecord;
    if (Pos == FPos || FPos < 0) return GetBookmark();
    if (Pos < 0 || Pos >= int(FView.size())) return TBookmark();
    return TBookmark{this, FView[size_t(Pos)]};
}

bool TDataSet::BookmarkValid(const TBookmark& B) const {
    return Active() && B.Owner == this && ViewPosOf(B.Id) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& B) {
    CheckBrowseMode();
    if (B.IsEmpty()) DatabaseError(u"Bookmark is empty", this);
    if (B.Owner != this) DatabaseError(u"Bookmark belongs to another dataset", this);
    int Pos = ViewPosOf(B.Id);
    if (Pos < 0) DatabaseError(u"Record not found", this);
    Notify(BeforeScroll);
    SetCurrent(Pos);
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    Notify(AfterScroll);
}

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
    if (A.IsEmpty() || B.IsEmpty()) return int(!A.IsEmpty()) - int(!B.IsEmpty());
    if (A.Owner != this || B.Owner != this) DatabaseError(u"Bookmark belongs to another dataset", this);
    int PA = ViewPosOf(A.Id), PB = ViewPosOf(B.Id);
    return PA < PB ? -1 : PA > PB ? 1 : 0;
}

bool TDataSet::Matches(const TBuffer& B, const std::vector<TField*>& Fields, const std::vector<Variant>& Keys,
                       TLocateOptions Options) const {
    for (size_t I = 0; I < Fields.size(); ++I) {
        const Variant& V = B.Values[size_t(Fields[I]->FBufferIndex)];
        const Variant& K = Keys[I];
        if (K.IsClear() || V.IsClear()) {
            if (K.IsClear() != V.IsClear()) return false;
            continue;
        }
        bool Text = K.VarType() == varString || V.VarType() == varString;
        if (Text && !(Options & (loPartialKey | loCaseInsensitive)) && V.VarType() == varString &&
            K.VarType() == varString && dynamic_cast<const TStringField*>(Fields[I])) {
            // A string field shows its text as it is: compared in place, without copies.
            if (V == K) continue;
            return false;
        }
        if (Text) {
            String Value = Fields[I]->FormatText(V, false), Key = K.AsString();
            if (Options & loPartialKey) Value = Value.substr(0, Key.size());
            bool Same = (Options & loCaseInsensitive) ? AnsiSameText(Value, Key) : Value == Key;
            if (!Same && CompareVariants(V, K, Options & loCaseInsensitive) != 0) return false;
        } else if (CompareVariants(V, K) != 0)
            return false;
    }
    return true;
}

static std::vector<Variant> KeyList(const std::vector<TField*>& Fields, const Variant& KeyValues,
                                    TDataSet* DS) {
    std::vector<Variant> Keys;
    if (KeyValues.IsArray())
        Keys = KeyValues.AsArray();
    else
        Keys.push_back(KeyValues);
    if (Keys.size() != Fields.size())
        DatabaseError(
            Format(u"%d key values given for %d key fields", {int(Keys.size()), int(Fields.size())}), DS);
    return Keys;
}

bool TDataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    CheckActive();
    std::vector<TField*> Fields = GetFieldList(KeyFields);
    if (Fields.empty()) DatabaseError(u"No key fields given", this);
    std::vector<Variant> Keys = KeyList(Fields, KeyValues, this);
    CheckBrowseMode();
    TBuffer B;
    for (size_t Pos = 0; Pos < FView.size(); ++Pos) {
        LoadBuffer(B, FView[Pos]);
        if (!Matches(B, Fields, Keys, Options)) continue;
        Notify(BeforeScroll);
        SetCurrent(int(Pos));
        FBof = FEof = false;
        DataEvent(deDataSetChange);
        Notify(AfterScroll);
        return true;
    }
    return false;
}

Variant TDataSet::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) {
    CheckActive();
    std::vector<TField*> Fields = GetFieldList(KeyFields);
    std::vector<Variant> Keys = KeyList(Fields, KeyValues, this);
    std::vector<TField*> Results = GetFieldList(ResultFields);
    TBuffer B;
    for (Int64 Id : FView) {
        LoadBuffer(B, Id);
        if (!Matches(B, Fields, Keys, 0)) continue;
        if (Results.size() == 1) return B.Values[size_t(Results[0]->FBufferIndex)];
        TVariantArray Out;
        for (TField* R : Results)
            Out.push_back(B.Values[size_t(R->FBufferIndex)]);
        return Out;
    }
    return Variant::Null();
}

Variant TDataSet::FieldValues(const String& Name) const {
    return FieldByName(Name)->Value();
}

void TDataSet::SetFilter(const String& Value) {
    std::shared_ptr<TFilterNode> Tree = Trim(Value).empty() ? nullptr : TFilterParser(Value).Parse();
    if (Active() && FFiltered) {
        CheckBrowseMode();
        auto OldTree = FFilterTree;
        FFilterTree = Tree;
        try {
            BuildView(FCurrent.Id);
        } catch (...) {
            FFilterTree = OldTree;
            BuildView(FCurrent.Id);
            throw;
        }
        FFilter = Value;
        DataEvent(deDataSetChange);
        return;
    }
    FFilterTree = Tree;
    FFilter = Value;
}

void TDataSet::SetFiltered(bool Value) {
    if (Value == FFiltered) return;
    if (!Active()) {
        FFiltered = Value;
        return;
    }
    CheckBrowseMode();
    FFiltered = Value;
    try {
        BuildView(FCurrent.Id);
    } catch (...) {
        FFiltered = !Value;
        BuildView(FCurrent.Id);
        throw;
    }
    DataEvent(deDataSetChange);
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent Value) {
    OnFilterRecord = std::move(Value);
    if (Active() && FFiltered) Refresh();
}

void TDataSet::SetIndexName(const String& Value) {
    if (!Value.empty() && !FIndexDefs.Find(Value))
        DatabaseError(Format(u"Index '%s' not found", {Value}), this);
    String OldName = FIndexName, OldFields = FIndexFieldNames;
    FIndexName = Value;
    FIndexFieldNames.clear();
    if (!Active()) return;
    CheckBrowseMode();
    try {
        BuildView(FCurrent.Id);
    } catch (...) {
        FIndexName = OldName;
        FIndexFieldNames = OldFields;
        BuildView(FCurrent.Id);
        throw;
    }
    DataEvent(deDataSetChange);
}

void TDataSet::SetIndexFieldNames(const String& Value) {
    if (Active()) GetFieldList(Value); // an unknown name raises before anything changes
    FIndexFieldNames = Value;
    FIndexName.clear();
    if (!Active()) return;
    CheckBrowseMode();
    BuildView(FCurrent.Id);
    DataEvent(deDataSetChange);
}

namespace {
// Bytes of one blob field; every write goes straight into the field, so a failure shows at once.
class TBlobFieldStream : public TMemoryStream {
public:
    TBlobFieldStream(TBlobField* Field, TBlobStreamMode Mode) : FField(Field), FMode(Mode) {
        if (Mode != bmWrite) {
            TBytes B = Field->AsBytes();
            if (!B.empty()) TMemoryStream::Write(B.data(), Int64(B.size()));
            Seek(0, soFromBeginning);
        } else
            Field->SetAsBytes({});
    }
    Int64 Write(const void* Buffer, Int64 Count) override {
        if (FMode == bmRead) throw EStreamError(u"Cannot write to a read-only blob stream");
        Int64 N = TMemoryStream::Write(Buffer, Count);
        FField->SetAsBytes(TBytes(Memory(), Memory() + Size()));
        return N;
    }

private:
    TBlobField* FField;
    TBlobStreamMode FMode;
};
} // namespace

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    CheckActive();
    auto* Blob = dynamic_cast<TBlobField*>(Field);
    if (!Blob || Blob->DataSet() != this)
        DatabaseError(Format(u"Field '%s' is not a blob field of this dataset",
                             {Field ? Field->DisplayName() : String()}),
                      this);
    if (Mode != bmRead) CheckEditing(Field);
    return std::make_unique<TBlobFieldStream>(Blob, Mode);
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field) {
    if (FDisableCount > 0 && Event != deUpdateRecord && Event != deCheckBrowseMode) return;
    for (TDataSource* S : std::vector<TDataSource*>(FDataSources))
        S->DataEvent(Event, Field);
}

// ---- data sources and links ---------------------------------------------------------------

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* L : FLinks)
        L->FDataSource = nullptr;
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (FDataSet) {
        auto& L = FDataSet->FDataSources;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
        FDataSet->UpdateBufferCount();
    }
    FDataSet = Value;
    if (FDataSet) {
        FDataSet->FDataSources.push_back(this);
        FDataSet->UpdateBufferCount();
    }
    DataEvent(deUpdateState, nullptr);
}

void TDataSource::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    DataEvent(deUpdateState, nullptr);
}

void TDataSource::Edit() {
    if (AutoEdit && FDataSet && FDataSet->State() == dsBrowse) FDataSet->Edit();
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field) {
    if (Event == deUpdateState && OnStateChange) OnStateChange(this);
    for (TDataLink* L : std::vector<TDataLink*>(FLinks))
        L->DataEvent(Event, Field);
    if ((Event == deDataSetChange || Event == deDataSetScroll || Event == deRecordChange ||
         Event == deFieldChange) &&
        OnDataChange)
        OnDataChange(this);
}

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) {
        auto& L = FDataSource->FLinks;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
        if (TDataSet* DS = FDataSource->DataSet()) DS->UpdateBufferCount();
    }
    FDataSource = Value;
    if (FDataSource) {
        FDataSource->FLinks.push_back(this);
        if (TDataSet* DS = FDataSource->DataSet()) DS->UpdateBufferCount();
    }
    DataEvent(deUpdateState, nullptr);
}

bool TDataLink::Active() const {
    return FDataSource && FDataSource->State() != dsInactive;
}
bool TDataLink::Editing() const {
    TDataSetState S = FDataSource ? FDataSource->State() : dsInactive;
    return S == dsEdit || S == dsInsert;
}

void TDataLink::SetBufferCount(int Value) {
    FBufferCount = std::max(1, Value);
    if (TDataSet* DS = DataSet()) DS->UpdateBufferCount();
}

int TDataLink::ActiveRecord() const {
    TDataSet* DS = DataSet();
    return DS && DS->Active() ? DS->FActiveRecord : 0;
}

void TDataLink::SetActiveRecord(int Value) {
    TDataSet* DS = DataSet();
    if (DS && DS->Active()) DS->SetActiveRecord(Value);
}

int TDataLink::RecordCount() const {
    TDataSet* DS = DataSet();
    if (!DS || !DS->Active()) return 0;
    return std::min(FBufferCount, int(DS->FView.size()) - DS->FWindowFirst);
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return Editing();
}

void TDataLink::UpdateRecord() {
    TFlagScope Updating(FUpdating);
    UpdateData();
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field) {
    switch (Event) {
    case deUpdateState: {
        bool NowActive = Active();
        if (NowActive != FActive) {
            FActive = NowActive;
            ActiveChanged();
        }
        bool NowEditing = Editing();
        if (NowEditing != FEditing) {
            FEditing = NowEditing;
            EditingChanged();
        }
        break;
    }
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(Field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(DataSet() ? DataSet()->FScrollDistance : 0);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    }
}

void TFieldDataLink::SetFieldName(const String& Value) {
    if (FFieldName == Value) return;
    FFieldName = Value;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TDataSet* DS = DataSet();
    FField = Active() && !FFieldName.empty() && DS ? DS->FindField(FFieldName) : nullptr;
    if (OnDataChange) OnDataChange();
    FModified = false;
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && FField && !FField->ReadOnly() && FField->FieldKind() == fkData && DataSet() &&
           DataSet()->CanModify();
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange();
}
void TFieldDataLink::LayoutChanged() {
    UpdateField();
}
void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field && Field != FField) return;
    // The control shows the field's value again; what it reported while doing so is no change.
    if (OnDataChange) OnDataChange();
    FModified = false;
}
void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) OnEditingChange();
}
// Only a change the control reported is handed over; the flag stays until it went through,
// so a handler that refuses the text keeps the change for the next attempt.
void TFieldDataLink::UpdateData() {
    if (!FModified) return;
    if (FField && OnUpdateData) OnUpdateData();
    FModified = false;
}

// ---- parameters ---------------------------------------------------------------------------

void TParams::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TParams*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    if (Other == this) return;
    FItems.clear();
    for (const auto& P : Other->FItems)
        FItems.push_back(std::make_unique<TParam>(*P));
}

TParam& TParams::CreateParam(TFieldType DataType, const String& Name, TParamType ParamType) {
    auto P = std::make_unique<TParam>();
    P->Name = Name;
    P->DataType = DataType;
    P->ParamType = ParamType;
    FItems.push_back(std::move(P));
    return *FItems.back();
}
TParam& TParams::operator[](int Index) {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    return *FItems[size_t(Index)];
}
TParam* TParams::FindParam(const String& Name) {
    for (auto& P : FItems)
        if (AnsiSameText(P->Name, Name)) return P.get();
    return nullptr;
}
TParam& TParams::ParamByName(const String& Name) {
    if (TParam* P = FindParam(Name)) return *P;
    DatabaseError(Format(u"Parameter '%s' not found", {Name}));
}

void TDataSet::Published(TPublisher<TDataSet>& P) {
    P.Property(u"IndexDefs", [](TDataSet* D) { return &D->IndexDefs(); });
    P.Property(u"IndexName", &TDataSet::IndexName, &TDataSet::SetIndexName);
    P.Property(u"IndexFieldNames", &TDataSet::IndexFieldNames, &TDataSet::SetIndexFieldNames);
    P.Property(u"Filter", &TDataSet::Filter, &TDataSet::SetFilter);
    P.Property(u"Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
    P.Property(u"ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly).Default(false);
}
