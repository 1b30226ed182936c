#include "platform/gui/Mask.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <QChar>

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::Published(TPublisher<TCustomMaskEdit>& P) {
    P.Property(u"EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
}

void TCustomMaskEdit::Parse(const String& Mask, std::vector<TItem>& Items, bool& Save, Char& Blank) {
    // The fields: the mask, then the save flag and the blank, split at ';' outside escapes.
    std::vector<String> Fields(1);
    for (size_t I = 0; I < Mask.size(); ++I) {
        if (Mask[I] == u'\\' && I + 1 < Mask.size()) {
            Fields.back() += Mask.substr(I, 2);
            ++I;
        } else if (Mask[I] == u';') {
            Fields.emplace_back();
        } else {
            Fields.back() += Mask[I];
        }
    }
    auto Bad = [&](const String& Why) {
        throw EDBEditError(Format(u"Invalid edit mask '%s': %s", {Mask, Why}));
    };
    if (Fields.size() > 3) Bad(u"more than three fields");
    Save = true;
    Blank = u'_';
    if (Fields.size() >= 2) {
        if (Fields[1] == u"0")
            Save = false;
        else if (Fields[1] != u"1" && !Fields[1].empty())
            Bad(u"the second field must be 0 or 1");
    }
    if (Fields.size() == 3) {
        if (Fields[2].size() != 1) Bad(u"the blank must be one character");
        Blank = Fields[2][0];
    }
    Items.clear();
    int Case = 0;
    const String& M = Fields[0];
    for (size_t I = 0; I < M.size(); ++I) {
        const Char C = M[I];
        switch (C) {
        case u'\\':
            if (I + 1 >= M.size()) Bad(u"it ends with '\\'");
            Items.push_back({true, M[++I], 0});
            break;
        case u'>':
            Case = 1;
            break;
        case u'<':
            if (I + 1 < M.size() && M[I + 1] == u'>') {
                Case = 0;
                ++I;
            } else {
                Case = 2;
            }
            break;
        case u'!':
            break;
        case u'L': case u'l': case u'A': case u'a': case u'C': case u'c': case u'0': case u'9': case u'#':
            Items.push_back({false, C, Case});
            break;
        case u':':
            Items.push_back({true, FormatSettings.TimeSeparator, 0});
            break;
        case u'/':
            Items.push_back({true, FormatSettings.DateSeparator, 0});
            break;
        case u'_':
            Items.push_back({true, u' ', 0});
            break;
        default:
            Items.push_back({true, C, 0});
            break;
        }
    }
    if (!M.empty() && Items.empty()) Bad(u"it has no positions");
    for (const TItem& It : Items)
        if (It.Literal && It.Ch == Blank && It.Ch != u' ') Bad(u"a literal equals the blank character");
}

void TCustomMaskEdit::SetEditMask(const String& Value) {
    if (Value == FEditMask) return;
    std::vector<TItem> Items;
    bool Save;
    Char Blank;
    Parse(Value, Items, Save, Blank); // raises before anything changes
    const String Plain = GetText();
    FEditMask = Value;
    FItems = std::move(Items);
    FSaveLiterals = Save;
    FBlank = Blank;
    SetMaxLength(IsMasked() ? static_cast<int>(FItems.size()) : 0);
    SetTextValue(Plain);
}

bool TCustomMaskEdit::Accepts(const TItem& Item, Char& C) const {
    const QChar Q(C);
    bool Ok;
    switch (Item.Ch) {
    case u'L': case u'l':
        Ok = Q.isLetter();
        break;
    case u'A': case u'a':
        Ok = Q.isLetterOrNumber();
        break;
    case u'0': case u'9':
        Ok = C >= u'0' && C <= u'9';
        break;
    case u'#':
        Ok = (C >= u'0' && C <= u'9') || C == u'+' || C == u'-';
        break;
    default:
        Ok = C >= u' ';
        break;
    }
    if (Ok && Item.Case == 1) C = Q.toUpper().unicode();
    if (Ok && Item.Case == 2) C = Q.toLower().unicode();
    return Ok;
}

bool TCustomMaskEdit::Required(const TItem& Item) const {
    return Item.Ch == u'L' || Item.Ch == u'A' || Item.Ch == u'C' || Item.Ch == u'0';
}

int TCustomMaskEdit::SlotAtOrAfter(int Pos) const {
    for (int I = std::max(Pos, 0); I < static_cast<int>(FItems.size()); ++I)
        if (!FItems[I].Literal) return I;
    return -1;
}

String TCustomMaskEdit::Formatted(const String& Value) const {
    String R;
    for (const TItem& It : FItems)
        R += It.Literal ? It.Ch : FBlank;
    // Text of the full width with its literals in place is an edit text; other text fills the
    // slots in order, its literals (when they were saved) passed over.
    bool Full = Value.size() == FItems.size();
    for (size_t I = 0; Full && I < FItems.size(); ++I)
        if (FItems[I].Literal && Value[I] != FItems[I].Ch) Full = false;
    size_t Src = 0;
    for (size_t I = 0; I < FItems.size() && Src < Value.size(); ++I) {
        const TItem& It = FItems[I];
        if (It.Literal) {
            if ((Full || FSaveLiterals) && Value[Src] == It.Ch) ++Src;
            continue;
        }
        Char C = Value[Src++];
        if (C == FBlank || C == u' ' || !Accepts(It, C)) continue;
        R[I] = C;
    }
    return R;
}

String TCustomMaskEdit::EditText() const { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const String& Value) { SetTextValue(Value); }

String TCustomMaskEdit::GetText() const {
    const String S = TCustomEdit::GetText();
    if (!IsMasked()) return S;
    String R;
    for (size_t I = 0; I < FItems.size() && I < S.size(); ++I) {
        if (FItems[I].Literal) {
            if (FSaveLiterals) R += S[I];
        } else {
            R += S[I] == FBlank ? u' ' : S[I];
        }
    }
    return R;
}

void TCustomMaskEdit::SetTextValue(const String& Value) {
    const String S = IsMasked() ? Formatted(Value) : Value;
    FSavedText = S;
    TCustomEdit::SetTextValue(S);
}

void TCustomMaskEdit::ShowEditText(const String& S, int Caret) {
    const String Saved = FSavedText;
    TCustomEdit::SetTextValue(S);
    FSavedText = Saved;
    SetModified(true);
    SetSelStart(Caret);
    SetSelLength(0);
}

void TCustomMaskEdit::Reset() {
    if (!IsMasked()) return;
    TCustomEdit::SetTextValue(FSavedText);
    SetModified(false);
}

void TCustomMaskEdit::ValidateError() {
    throw EDBEditError(u"Invalid input value. Use escape key to abandon changes");
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked()) return;
    const String S = EditText();
    for (size_t I = 0; I < FItems.size(); ++I)
        if (!FItems[I].Literal && Required(FItems[I]) && (I >= S.size() || S[I] == FBlank)) {
            SetSelStart(static_cast<int>(I));
            SetSelLength(0);
            ValidateError();
        }
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyDown(Key, Shift);
    if (!IsMasked() || Key == 0 || ReadOnly()) return;
    if (Key == VK_ESCAPE && Modified()) {
        Reset();
        Key = 0;
        return;
    }
    if (Key != VK_BACK && Key != VK_DELETE) return;
    String S = EditText();
    int Start = SelStart(), Len = SelLength();
    if (Len == 0) {
        if (Key == VK_BACK) {
            // The slot before the caret, past any literals.
            int P = Start - 1;
            while (P >= 0 && FItems[P].Literal)
                --P;
            if (P < 0) {
                Key = 0;
                return;
            }
            Start = P;
        } else {
            Start = SlotAtOrAfter(Start);
            if (Start < 0) {
                Key = 0;
                return;
            }
        }
        Len = 1;
    }
    for (int I = Start; I < Start + Len && I < static_cast<int>(S.size()); ++I)
        if (!FItems[I].Literal) S[I] = FBlank;
    ShowEditText(S, Start);
    Key = 0;
}

void TCustomMaskEdit::KeyPress(Char& Key) {
    TCustomEdit::KeyPress(Key);
    // Backspace was done on its key; its character must not reach the text as well.
    if (IsMasked() && (Key == u'\b' || Key == 127)) Key = 0;
    if (!IsMasked() || Key < u' ' || ReadOnly()) return;
    String S = EditText();
    int Start = SelStart();
    const int Len = SelLength();
    for (int I = Start; I < Start + Len && I < static_cast<int>(S.size()); ++I)
        if (!FItems[I].Literal) S[I] = FBlank;
    const int Slot = SlotAtOrAfter(Start);
    Char C = Key;
    // Typing the next literal where a position does not take it moves past the literal ("1/"
    // in a date leaves the second digit of the day blank).
    if (Slot < 0 || !Accepts(FItems[Slot], C)) {
        for (int I = Start; I < static_cast<int>(FItems.size()); ++I)
            if (FItems[I].Literal) {
                if (FItems[I].Ch != Key) break;
                ShowEditText(S, I + 1);
                Key = 0;
                return;
            }
    }
    C = Key;
    Key = 0;
    if (Slot < 0 || !Accepts(FItems[Slot], C)) {
        if (Len) ShowEditText(S, Start);
        return;
    }
    S[Slot] = C;
    int Next = Slot + 1;
    while (Next < static_cast<int>(FItems.size()) && FItems[Next].Literal)
        ++Next;
    ShowEditText(S, Next);
}
