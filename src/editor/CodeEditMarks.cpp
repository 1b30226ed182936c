// Marks in the editor's gutter and the ten bookmarks that point into the control's mark list.

#include "editor/CodeEdit.h"

#include "platform/base/Lists.h"
#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"

#include <algorithm>

// ---- TCodeEditMark --------------------------------------------------------------------------

TCodeEditMark::TCodeEditMark(TCustomCodeEdit* AOwner) : FEdit(AOwner) {}

TCustomCodeEdit* TCodeEditMark::Edit() {
    // A mark being made is not in the list yet: it keeps its control for when it is.
    if (FEdit && FEdit->Marks()->IndexOf(this) < 0) return nullptr;
    return FEdit;
}

void TCodeEditMark::InvalidateOwnLine() {
    if (FVisible && Edit() && FLine > 0) FEdit->InvalidateGutterLines(FLine, FLine);
}

void TCodeEditMark::SetLine(int Value) {
    if (FVisible && Edit()) {
        if (FLine > 0) FEdit->InvalidateGutterLines(FLine, FLine);
        FEdit->InvalidateGutterLines(Value, Value);
    }
    FLine = Value;
}

void TCodeEditMark::SetImageIndex(int Value) {
    FImage = Value;
    InvalidateOwnLine();
}

void TCodeEditMark::SetInternalImage(bool Value) {
    FInternalImage = Value;
    InvalidateOwnLine();
}

void TCodeEditMark::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (Edit() && FLine > 0) FEdit->InvalidateGutterLines(FLine, FLine);
}

// ---- TCodeEditMarkList ----------------------------------------------------------------------

TCodeEditMarkList::TCodeEditMarkList(TCustomCodeEdit* AOwner) : FEdit(AOwner) {}

TCodeEditMarkList::~TCodeEditMarkList() {
    OnChange = nullptr;
    for (TCodeEditMark* Mark : FItems)
        delete Mark;
}

TCodeEditMark* TCodeEditMarkList::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FItems[static_cast<size_t>(Index)];
}

void TCodeEditMarkList::Changed() {
    if (OnChange) OnChange(this);
}

int TCodeEditMarkList::Add(TCodeEditMark* Item) {
    FItems.push_back(Item);
    Changed();
    return Count() - 1;
}

void TCodeEditMarkList::Delete(int Index) {
    TCodeEditMark* Mark = Items(Index);
    FItems.erase(FItems.begin() + Index);
    delete Mark;
    Changed();
}

int TCodeEditMarkList::Remove(TCodeEditMark* Item) {
    const int Index = IndexOf(Item);
    if (Index >= 0) Delete(Index);
    return Index;
}

int TCodeEditMarkList::IndexOf(const TCodeEditMark* Item) const {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

TCodeEditMark* TCodeEditMarkList::Extract(TCodeEditMark* Item) {
    const int Index = IndexOf(Item);
    if (Index < 0) return nullptr;
    FItems.erase(FItems.begin() + Index);
    Changed();
    return Item;
}

void TCodeEditMarkList::Clear() {
    while (Count() > 0)
        Delete(Count() - 1);
}

void TCodeEditMarkList::ClearLine(int Line) {
    for (int I = Count() - 1; I >= 0; --I)
        if (FItems[static_cast<size_t>(I)]->Line() == Line && !FItems[static_cast<size_t>(I)]->IsBookmark())
            Delete(I);
}

void TCodeEditMarkList::GetMarksForLine(int Line, TCodeEditMarks& Marks) const {
    Marks.fill(nullptr);
    size_t Found = 0;
    for (TCodeEditMark* Mark : FItems) {
        if (Mark->Line() != Line) continue;
        Marks[Found++] = Mark;
        if (Found == Marks.size()) break;
    }
}

void TCodeEditMarkList::Place(TCodeEditMark* Mark) {
    if (FEdit && FEdit->OnPlaceBookmark) FEdit->OnPlaceBookmark(FEdit, Mark);
    if (Mark) Add(Mark);
}

// ---- The control's bookmarks ----------------------------------------------------------------

void TCustomCodeEdit::SetBookMark(int BookMark, int X, int Y) {
    if (BookMark < 0 || BookMark > 9 || Y < 1 || Y > std::max(1, FLines->Count())) return;
    auto Mark = std::make_unique<TCodeEditMark>(this);
    Mark->SetLine(Y);
    Mark->SetChar(X);
    Mark->SetImageIndex(BookMark);
    Mark->SetBookmarkNumber(BookMark);
    Mark->SetVisible(true);
    Mark->SetInternalImage(true);
    TCodeEditMark* Placed = Mark.get();
    FirePlaceBookmark(Placed);
    if (!Placed) return;
    // A handler may hand back a mark of its own; ours is then not needed.
    if (Placed != Mark.get()) Mark.reset();
    ClearBookMark(BookMark);
    FBookMarks[static_cast<size_t>(BookMark)] = Placed;
    FMarkList->Add(Placed);
    Mark.release();
}

void TCustomCodeEdit::ClearBookMark(int BookMark) {
    if (BookMark < 0 || BookMark > 9) return;
    TCodeEditMark* Mark = FBookMarks[static_cast<size_t>(BookMark)];
    if (!Mark) return;
    TCodeEditMark* Told = Mark;
    FireClearBookmark(Told);
    FBookMarks[static_cast<size_t>(BookMark)] = nullptr;
    FMarkList->Remove(Mark);
}

void TCustomCodeEdit::GotoBookMark(int BookMark) {
    if (BookMark < 0 || BookMark > 9) return;
    TCodeEditMark* Mark = FBookMarks[static_cast<size_t>(BookMark)];
    if (!Mark || Mark->Line() > FLines->Count()) return;
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    PlaceCaret({Mark->Char(), Mark->Line()}, false);
    EnsureCursorPosVisibleEx(true);
    if (SelAvail()) InvalidateSelection();
    FBlockBegin = CaretXY();
    FBlockEnd = CaretXY();
}

bool TCustomCodeEdit::GetBookMark(int BookMark, int& X, int& Y) const {
    for (int I = 0; I < FMarkList->Count(); ++I) {
        const TCodeEditMark* Mark = FMarkList->Items(I);
        if (Mark->IsBookmark() && Mark->BookmarkNumber() == BookMark) {
            X = Mark->Char();
            Y = Mark->Line();
            return true;
        }
    }
    return false;
}

bool TCustomCodeEdit::IsBookmark(int BookMark) const {
    int X = 0;
    int Y = 0;
    return GetBookMark(BookMark, X, Y);
}
