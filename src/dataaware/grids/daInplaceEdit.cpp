// The grid's in-place editor: every typed key is checked against the column's picture mask and
// regular expression, literals are filled in, and an invalid value shows the error colours.

#include "dataaware/grids/daDBGrid.h"

#include "dataaware/edits/daEditsShared.h"
#include "dataaware/foundation/daPictureValidator.h"

#include "platform/base/Strings.h"

#include <algorithm>

TdaMaskServices& TdaMaskServices::Instance() {
    static TdaMaskServices S;
    return S;
}


TdaInplaceEdit::TdaInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
    ParentGrid = dynamic_cast<TdaCustomDBGrid*>(AOwner);
    if (ParentGrid) FWordWrap = ParentGrid->Options().Contains(dgWordWrap);
}

TdaInplaceEdit::~TdaInplaceEdit() = default;

void TdaInplaceEdit::SetWordWrap(bool Value) { FWordWrap = Value; }

bool TdaInplaceEdit::HavePictureMask() const {
    return FUsePictureMask && !FdaPicture.PictureMask().empty();
}

bool TdaInplaceEdit::IsValidPictureValue(const String& S) {
    bool Result = true;
    if (!S.empty() && HavePictureMask()) {
        String Text = S;
        TdaPictureValidator V(FdaPicture.PictureMask(), FdaPicture.AutoFill());
        Result = V.Picture(Text, false) == prComplete;
    }
    if (ParentGrid && ParentGrid->OnCheckValue) ParentGrid->OnCheckValue(this, Result);
    return Result;
}

void TdaInplaceEdit::ApplyValidationColors(bool Valid) {
    daApplyValidationColors(this, Valid, OrigForeColor, OrigBackColor);
}

void TdaInplaceEdit::ResetValidationColors(TColor ForeColor, TColor BackColor) {
    if (ForeColor == clNone) {
        if (OrigForeColor != clNone) Font()->SetColor(OrigForeColor);
    } else {
        Font()->SetColor(ForeColor);
    }
    if (BackColor == clNone) {
        if (OrigBackColor != clNone) SetColor(OrigBackColor);
    } else {
        SetColor(BackColor);
    }
    OrigForeColor = OrigBackColor = clNone;
}

void TdaInplaceEdit::DoRefreshValidationDisplay(bool Valid) {
    ApplyValidationColors(Valid);
    if (ParentGrid && ParentGrid->OnCheckValue) ParentGrid->OnCheckValue(this, Valid);
}

void TdaInplaceEdit::DoRefreshValidationDisplayText(const String& AText) {
    const String T = AText.empty() ? Text() : AText;
    bool Valid = T.empty();
    if (!Valid) {
        auto& Match = TdaMaskServices::Instance().RegexMatch;
        Valid = IsValidPictureValue(T) &&
                (FRegexMask.Mask.empty() || (Match && Match(FRegexMask.Mask, !FRegexMask.CaseSensitive, T)));
    }
    DoRefreshValidationDisplay(Valid);
}

void TdaInplaceEdit::LoadMasks() {
    FUsePictureMask = false;
    FdaPicture.SetPictureMask(u"");
    FdaPicture.SetAutoFill(true);
    FdaPicture.SetAllowInvalidExit(false);
    FRegexMask = TdaRegexMask();
    if (!ParentGrid) return;
    TField* F = ParentGrid->SelectedField();
    if (!F) return;
    for (int I = 0; I < ParentGrid->PictureMasks()->Count(); ++I) {
        const std::vector<String> P = daSplitTabs(ParentGrid->PictureMasks()->Strings(I));
        if (!SameText(P[0], F->FieldName())) continue;
        FdaPicture.SetPictureMask(P.size() > 1 ? P[1] : String());
        FdaPicture.SetAutoFill(P.size() > 2 ? P[2] == u"T" : true);
        FUsePictureMask = P.size() > 3 ? P[3] == u"T" : true;
        FdaPicture.SetAllowInvalidExit(false);
    }
    for (int I = 0; I < ParentGrid->RegexMasks()->Count(); ++I) {
        const std::vector<String> P = daSplitTabs(ParentGrid->RegexMasks()->Strings(I));
        if (!SameText(P[0], F->FieldName())) continue;
        FRegexMask.Mask = P.size() > 1 ? P[1] : String();
        FRegexMask.CaseSensitive = P.size() > 2 && P[2] == u"T";
        FRegexMask.ErrorMessage = P.size() > 3 ? P[3] : String();
        FRegexMask.AllowInvalidExit = false;
    }
}

void TdaInplaceEdit::UpdateContents() {
    if (!ParentGrid) return TInplaceEdit::UpdateContents();
    // Showing the editor must not start editing the record: the grid's modify check puts the
    // dataset in edit mode, so it is asked only when a key changes the text.
    const int C = ParentGrid->Col(), R = ParentGrid->Row();
    SetEditMask(u"");
    SetEditMask(ParentGrid->GetEditMask(C, R));
    if (!IsMasked()) SetMaxLength(ParentGrid->GetEditLimit());
    SetReadOnly(!ParentGrid->CanEditGrid());
    SetText(ParentGrid->GetEditText(C, R));
    SetModified(false);
    SelectAll();
    LoadMasks();
    if (ParentGrid) {
        FWordWrap = ParentGrid->Options().Contains(dgWordWrap);
        const int C = ParentGrid->Col();
        if (C < int(ParentGrid->FCacheColInfo.size()) && ParentGrid->FCacheColInfo[size_t(C)].ControlType == u"URL-Link")
            FWordWrap = false;
    }
}

void TdaInplaceEdit::WMSetFocus(TWMSetFocus& Message) {
    ResetValidationColors(clNone, clNone);
    TInplaceEdit::WMSetFocus(Message);
    if (ParentGrid && ParentGrid->SelectedField()) {
        LoadMasks();
        IsValidPictureValue(ParentGrid->SelectedField()->Text());
    }
}

String TdaInplaceEdit::TextWithKey(Char Key) const {
    const String T = Text();
    const int S = SelStart();
    if (Key == 8) {
        if (T.empty() || S == 0) return T;
        return T.substr(0, size_t(S - 1)) + T.substr(size_t(S));
    }
    const size_t End = std::min(T.size(), size_t(S + SelLength()));
    return T.substr(0, size_t(S)) + Key + T.substr(End, 32767);
}

void TdaInplaceEdit::KeyPress(Char& Key) {
    if (ParentGrid && ParentGrid->KeyOptions().Contains(dgEnterToTab) && Key == u'\r') Key = u'\t';
    TField* F = ParentGrid ? ParentGrid->SelectedField() : nullptr;
    if (Key == 10 && F && F->DataType() == ftFloat) Key = 0;
    if (Key == 0) return;
    bool Invalid = false, Beeped = false, RegexOK = true;
    const bool HaveRegex = !FRegexMask.Mask.empty();
    const int MaxLen = MaxLength();
    auto TooLong = [&](const String& NewText) {
        return MaxLen > 0 && Length(NewText) > MaxLen && Length(NewText) > Length(Text());
    };
    if (HaveRegex && Key >= u' ') {
        const String NewText = TextWithKey(Key);
        if (TooLong(NewText)) return;
        auto& Match = TdaMaskServices::Instance().RegexMatch;
        RegexOK = Match && Match(FRegexMask.Mask, !FRegexMask.CaseSensitive, NewText);
        Invalid = !RegexOK;
    }
    if (RegexOK && HavePictureMask()) {
        String NewText = TextWithKey(Key);
        if (Key == 8) {
            if (NewText.empty())
                DoRefreshValidationDisplay(true);
            else
                DoRefreshValidationDisplayText(NewText);
            TInplaceEdit::KeyPress(Key);
            return;
        }
        if (Key < u' ') {
            TInplaceEdit::KeyPress(Key);
            return;
        }
        if (TooLong(NewText)) return;
        // One validator serves one check.
        auto Picture = [&](const String& Mask, String& Text, bool AutoFill) {
            TdaPictureValidator Validator(Mask, FdaPicture.AutoFill());
            return Validator.Picture(Text, AutoFill);
        };
        const int S0 = SelStart(), L = Length(Text());
        const bool AllSelected = SelLength() > 0 && SelLength() == L;
        TdaPicResult R = Picture(FdaPicture.PictureMask(), NewText, FdaPicture.AutoFill());
        if (FdaPicture.AutoFill() && R == prError) {
            // A literal may be missing before the key: try a space in its place, then the key after it.
            String Retry = TextWithKey(u' ');
            R = Picture(FdaPicture.PictureMask(), Retry, FdaPicture.AutoFill());
            if (R != prError) {
                Retry += Key;
                R = Picture(FdaPicture.PictureMask(), Retry, FdaPicture.AutoFill());
                NewText = Retry;
            }
        }
        if (R == prComplete || R == prIncomplete) {
            SetText(NewText);
            if (ParentGrid) ParentGrid->SetEditText(ParentGrid->Col(), ParentGrid->Row(), NewText);
            const int NewLen = Length(NewText);
            int Caret = AllSelected ? NewLen : S0 + (NewLen - L);
            if (R == prComplete && !AllSelected && NewLen <= L) Caret = S0 + 1;
            SetSelStart(std::clamp(Caret, 0, NewLen));
            SetSelLength(0);
            Key = 0;
            if (R == prIncomplete) Invalid = true;
        } else if (R == prError) {
            if (SelStart() + SelLength() < Length(Text())) {
                Invalid = true;
            } else {
                Key = 0;
                MessageBeep();
                Beeped = true;
            }
        }
    }
    if ((HavePictureMask() || HaveRegex) && !Beeped) DoRefreshValidationDisplay(!Invalid);
    if (Key != 0) TInplaceEdit::KeyPress(Key);
}

void TdaInplaceEdit::WMKillFocus(TWMKillFocus& Message) {
    TInplaceEdit::WMKillFocus(Message);
    // Leaving the editor for anything but its grid leaves the grid.
    if (ParentGrid && Message.FocusedWnd() != ParentGrid->WindowHandle()) ParentGrid->FocusExit();
}

void TdaInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (ParentGrid && Key == VK_ESCAPE) {
        // The grid undoes the edit (its data link's reset) and hides the editor.
        ParentGrid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    if (ParentGrid && ((Key == VK_RETURN && ParentGrid->KeyOptions().Contains(dgEnterToTab)) ||
                       (Key == VK_DELETE && Shift.Contains(ssCtrl)))) {
        if (ParentGrid->CanFocus()) ParentGrid->SetFocus();
        ParentGrid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TdaInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    if (ParentGrid && Key == VK_RETURN && ParentGrid->KeyOptions().Contains(dgEnterToTab)) Key = VK_TAB;
    const Word Was = Key;
    TInplaceEdit::KeyUp(Key, Shift);
    if (Was == VK_DELETE) DoRefreshValidationDisplayText(String());
}

void TdaInplaceEdit::Dispatch(TMessage& Message) {
    const UINT Msg = Message.Msg;
    TInplaceEdit::Dispatch(Message);
    if ((Msg == WM_PASTE || Msg == WM_CUT) && ParentGrid && ParentGrid->CanEditModify())
        DoRefreshValidationDisplayText(String());
}
