#include "editor/CodeEditWordWrap.h"

#include "editor/CodeEdit.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Strings.h"

#include <algorithm>

TCodeWordWrapPlugin::TCodeWordWrapPlugin(TCustomCodeEdit* AOwner) : FEditor(AOwner) {
    if (!AOwner) throw Exception(u"Owner of TCodeWordWrapPlugin must be a TCustomCodeEdit");
    Reset();
}

void TCodeWordWrapPlugin::WrapLine(const String& S, std::vector<std::uint16_t>& Rows) const {
    const int L = static_cast<int>(S.size());
    int Begin = 0;
    int End = FMaxRowLength;
    while (End < L) {
        int RowEnd = End;
        for (int P = End; P - Begin > FMinRowLength; --P) {
            if (FEditor->IsWordBreakChar(S[static_cast<size_t>(P)])) {
                RowEnd = P;
                break;
            }
        }
        // A wide glyph stays on one row with the fillers before it.
        while (RowEnd - 1 > Begin && S[static_cast<size_t>(RowEnd - 1)] == CodeEditWideFiller)
            --RowEnd;
        Rows.push_back(static_cast<std::uint16_t>(RowEnd - Begin));
        Begin = RowEnd;
        End = Begin + FMaxRowLength;
    }
    if (Begin < L || L == 0) Rows.push_back(static_cast<std::uint16_t>(L - Begin));
}

void TCodeWordWrapPlugin::Reset() {
    const int Chars = std::clamp(FEditor->CharsInWindow(), 0, 65535);
    FMaxRowLength = static_cast<std::uint16_t>(Chars);
    const int Min = Chars - Chars / 3;
    FMinRowLength = static_cast<std::uint16_t>(Min > 0 ? Min : 1);
    FLineOffsets.clear();
    FRowLengths.clear();
    FLineCount = 0;
    const int Count = FEditor->Buffer()->Count();
    if (Count == 0 || FMaxRowLength == 0) {
        FLineOffsets.shrink_to_fit();
        FRowLengths.shrink_to_fit();
        return;
    }
    FLineOffsets.reserve(static_cast<size_t>(Count));
    FRowLengths.reserve(static_cast<size_t>(Count));
    for (int I = 0; I < Count; ++I) {
        WrapLine(FEditor->Buffer()->ExpandedLine(I), FRowLengths);
        FLineOffsets.push_back(static_cast<std::int32_t>(FRowLengths.size()));
    }
    FLineCount = Count;
}

void TCodeWordWrapPlugin::DisplayChanged() {
    if (FEditor->CharsInWindow() != FMaxRowLength) Reset();
}

int TCodeWordWrapPlugin::GetRowLength(int aRow) const {
    if (aRow < 1 || aRow > RowCount()) throw EListError(u"List index out of bounds (" + IntToStr(aRow) + u")");
    return FRowLengths[static_cast<size_t>(aRow - 1)];
}

int TCodeWordWrapPlugin::ReWrapLine(int Index) {
    std::vector<std::uint16_t> Rows;
    WrapLine(FEditor->Buffer()->ExpandedLine(Index), Rows);
    const int Start = RowsBefore(Index);
    const int Old = FLineOffsets[static_cast<size_t>(Index)] - Start;
    const int D = static_cast<int>(Rows.size()) - Old;
    auto At = FRowLengths.begin() + Start;
    if (D < 0) FRowLengths.erase(At, At + (-D));
    if (D > 0) FRowLengths.insert(At, static_cast<size_t>(D), 0);
    std::copy(Rows.begin(), Rows.end(), FRowLengths.begin() + Start);
    if (D != 0)
        for (int J = Index; J < FLineCount; ++J)
            FLineOffsets[static_cast<size_t>(J)] += D;
    return D;
}

int TCodeWordWrapPlugin::LinesInserted(int aIndex, int aCount) {
    if (FMaxRowLength == 0) return 0;
    ASSERT(aIndex >= 0 && aIndex <= FLineCount && aCount >= 1);
    FLineOffsets.insert(FLineOffsets.begin() + aIndex, static_cast<size_t>(aCount), RowsBefore(aIndex));
    FLineCount += aCount;
    int Sum = 0;
    for (int I = aIndex; I < aIndex + aCount; ++I)
        Sum += ReWrapLine(I);
    return Sum;
}

int TCodeWordWrapPlugin::LinesDeleted(int aIndex, int aCount) {
    if (FMaxRowLength == 0) return 0;
    ASSERT(aIndex >= 0 && aCount >= 1 && aIndex + aCount <= FLineCount);
    const int Before = RowsBefore(aIndex);
    const int Removed = FLineOffsets[static_cast<size_t>(aIndex + aCount - 1)] - Before;
    FRowLengths.erase(FRowLengths.begin() + Before, FRowLengths.begin() + Before + Removed);
    FLineOffsets.erase(FLineOffsets.begin() + aIndex, FLineOffsets.begin() + aIndex + aCount);
    FLineCount -= aCount;
    for (int J = aIndex; J < FLineCount; ++J)
        FLineOffsets[static_cast<size_t>(J)] -= Removed;
    return Removed;
}

int TCodeWordWrapPlugin::LinesPutted(int aIndex, int aCount) {
    if (FMaxRowLength == 0) return 0;
    ASSERT(aIndex >= 0 && aCount >= 1 && aIndex + aCount <= FLineCount);
    int Sum = 0;
    for (int I = aIndex; I < aIndex + aCount; ++I)
        Sum += ReWrapLine(I);
    return Sum;
}

TDisplayCoord TCodeWordWrapPlugin::BufferToDisplayPos(const TDisplayCoord& aPos) const {
    ASSERT(aPos.Column >= 1 && aPos.Row >= 1);
    const int Line = aPos.Row;
    if (Line > FLineCount) return {aPos.Column, RowCount() + (Line - FLineCount)};
    const int First = RowsBefore(Line - 1);
    const int Last = FLineOffsets[static_cast<size_t>(Line - 1)] - 1;
    int Sum = 0;
    for (int R = First; R < Last; ++R) {
        const int Len = FRowLengths[static_cast<size_t>(R)];
        if (Sum + Len >= aPos.Column) return {aPos.Column - Sum, R + 1};
        Sum += Len;
    }
    // The last row takes everything beyond, past its end too.
    return {aPos.Column - Sum, Last + 1};
}

TDisplayCoord TCodeWordWrapPlugin::DisplayToBufferPos(const TDisplayCoord& aPos) const {
    ASSERT(aPos.Column >= 1 && aPos.Row >= 1);
    if (aPos.Row > RowCount()) return {aPos.Column, FLineCount + (aPos.Row - RowCount())};
    int Line = FLineCount - 1;
    while (Line > 0 && RowsBefore(Line) >= aPos.Row)
        --Line;
    const int First = RowsBefore(Line);
    const int Row = aPos.Row - 1;
    const bool LastRow = Row == FLineOffsets[static_cast<size_t>(Line)] - 1;
    const int Limit = LastRow ? FMaxRowLength + 1 : FRowLengths[static_cast<size_t>(Row)] + 1;
    int Column = std::min(aPos.Column, Limit);
    for (int R = First; R < Row; ++R)
        Column += FRowLengths[static_cast<size_t>(R)];
    return {Column, Line + 1};
}
