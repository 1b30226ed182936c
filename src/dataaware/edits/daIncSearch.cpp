#include "dataaware/edits/daIncSearch.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDataSetUtils.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daFieldSettings.h"
#include "dataaware/foundation/daIntl.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"

namespace {

std::vector<String> SplitNames(const String& Names) {
    TStringList Parts;
    daSplitToList(Names, u';', &Parts);
    std::vector<String> R;
    for (int I = 0; I < Parts.Count(); ++I) R.push_back(Parts.Strings(I));
    return R;
}

String FirstName(const String& Names) { return Names.empty() ? Names : SplitNames(Names)[0]; }

// The hourglass for the length of a scope.
class TBusyCursor {
public:
    TBusyCursor() : FOld(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~TBusyCursor() {
        if (Screen) Screen->SetCursor(FOld);
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TCursor FOld;
};

} // namespace

TdaIncrementalSearch::TdaIncrementalSearch(TComponent* AOwner)
    : TCustomEdit(AOwner), FDataLink(std::make_unique<TDataLink>()),
      FFrame(std::make_unique<TdaEditFrame>(this)) {
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(FTimerInterval);
    FTimer->OnTimer = [this](TObject* Sender) { OnEditTimerEvent(Sender); };
    SetText(u"");
}

TdaIncrementalSearch::~TdaIncrementalSearch() {
    FDataLink.reset();
    FCanvas.reset();
    delete FTimer;
    FTimer = nullptr;
}

void TdaIncrementalSearch::Published(TPublisher<TdaIncrementalSearch>& P) {
    P.Property(u"DataSource", &TdaIncrementalSearch::DataSource, &TdaIncrementalSearch::SetDataSource);
    P.Property(u"SearchField", &TdaIncrementalSearch::SearchField, &TdaIncrementalSearch::SetSearchField);
    P.Property(u"OnAfterSearch", &TdaIncrementalSearch::OnAfterSearch);
    P.Property(u"ShowMatchText", &TdaIncrementalSearch::ShowMatchText, &TdaIncrementalSearch::SetShowMatchText)
        .Default(false);
    P.Property(u"PictureMask", &TdaIncrementalSearch::PictureMask, &TdaIncrementalSearch::SetPictureMask);
    P.Property(u"PictureMaskAutoFill", &TdaIncrementalSearch::PictureMaskAutoFill,
               &TdaIncrementalSearch::SetPictureMaskAutoFill)
        .Default(true);
    P.Property(u"PictureMaskFromField", &TdaIncrementalSearch::PictureMaskFromField,
               &TdaIncrementalSearch::SetPictureMaskFromField)
        .Default(false);
    P.Property(u"SearchDelay", &TdaIncrementalSearch::SearchDelay, &TdaIncrementalSearch::SetSearchDelay).Default(0);
    P.Property(u"CaseSensitivity", &TdaIncrementalSearch::CaseSensitivity, &TdaIncrementalSearch::SetCaseSensitivity)
        .Default(dacsAutoDetect);
    P.Property(u"OnPerformCustomSearch", &TdaIncrementalSearch::OnPerformCustomSearch);
    P.Property(u"Frame", &TdaIncrementalSearch::Frame, &TdaIncrementalSearch::SetFrame);
    P.Property(u"Controller", &TdaIncrementalSearch::Controller, &TdaIncrementalSearch::SetController);
    P.Property(u"DisableThemes", &TdaIncrementalSearch::DisableThemes, &TdaIncrementalSearch::SetDisableThemes)
        .Default(false);
}

void TdaIncrementalSearch::SetController(TComponent* Value) {
    if (Value == FController) return;
    daSetController(FController, Value, this);
    if (TdaEditFrame* Shared = Value ? TdaEditFrame::Get(Value) : nullptr) FFrame->Assign(Shared);
    if (HandleAllocated()) RecreateWnd();
}

void TdaIncrementalSearch::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FController) FController = nullptr;
    if (FDataLink && AComponent == FDataLink->DataSource()) FDataLink->SetDataSource(nullptr);
}

void TdaIncrementalSearch::Clear() {
    SetText(u"");
    LastValue.clear();
}

void TdaIncrementalSearch::SetEditRect() {
    if (!FFrame->Enabled() || !HandleAllocated()) return;
    TRect Loc = ClientRect();
    FFrame->GetEditRectForFrame(Loc);
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
}

void TdaIncrementalSearch::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    if (FFrame->Enabled()) Params.Style &= ~WS_BORDER;
}

void TdaIncrementalSearch::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_ENTER:
        FFocused = true;
        SetEditRect();
        break;
    case CM_EXIT: FFocused = false; break;
    case WM_SETFONT:
        TCustomEdit::WndProc(Message);
        SetEditRect();
        return;
    case WM_PAINT:
        TCustomEdit::WndProc(Message);
        if (FFrame->Enabled()) {
            if (!FCanvas) {
                FCanvas = std::make_unique<TControlCanvas>();
                FCanvas->SetControl(this);
            }
            daDrawEditFrameEdges(this, FFrame.get(), FCanvas.get(), FFocused);
            FCanvas->FreeHandle();
        }
        return;
    default: break;
    }
    TCustomEdit::WndProc(Message);
}

void TdaIncrementalSearch::DoPerformCustomSearch(const String& ASearchField, const String& SearchValue, bool& Found,
                                                 bool PerformLookup) {
    if (OnPerformCustomSearch && DataSource() && DataSource()->DataSet())
        OnPerformCustomSearch(this, DataSource()->DataSet(), ASearchField, SearchValue, PerformLookup, Found);
}

void TdaIncrementalSearch::OnEditTimerEvent(TObject*) {
    if (!FTimer->Enabled()) return;
    FTimer->SetEnabled(false);
    if (Text() != LastValue) {
        FindValue();
        LastValue = Text();
    }
}

void TdaIncrementalSearch::KeyUp(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyUp(Key, Shift);
    if (Text() == LastValue || !daIsEditingKey(Key)) return;
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (FShowMatchText && (Key == VK_BACK || Key == VK_DELETE)) {
        // The user is taking the completion away: no search.
        if (DS && daIsKindOf(DS, u"TdaTable") && Text().empty()) {
            Variant Narrow;
            daGetVariable(DS, u"NarrowSearch", Narrow);
            if (!Narrow.IsEmpty() && Narrow.AsBoolean()) daSetVariable(DS, u"FastCancelRange", Variant());
        }
        return;
    }
    FTimer->SetEnabled(false);
    if (!DataSource()) {
        MessageDlg(u"DataSource not defined - object " + Name(), mtWarning, {mbOK}, 0);
        return;
    }
    if (!DS) {
        MessageDlg(u"Dataset not defined for DataSource", mtWarning, {mbOK}, 0);
        return;
    }
    if (FSearchDelay != 0) {
        FTimer->SetInterval(Cardinal(FSearchDelay));
    } else if (!daClassInheritsFrom(DS->ClassType(), u"TClientDataSet") && DS->Active() &&
               daIsKindOf(DS, u"TdaTable")) {
        Variant SqlBased;
        daGetVariable(DS, u"IsSQLBased", SqlBased);
        if (SqlBased.IsEmpty() || !SqlBased.AsBoolean()) FTimer->SetInterval(Cardinal(FTimerInterval / 2));
    }
    FTimer->SetEnabled(true);
}

void TdaIncrementalSearch::KeyPress(Char& Key) {
    TCustomEdit::KeyPress(Key);
    if (Key == 0) return;
    if (!FPictureMask.empty()) {
        daPictureMaskKeyPress(this, FPictureMask, FPictureMaskAutoFill, Key);
        return;
    }
    if (!FPictureMaskFromField) return;
    const String Field = EffectiveSearchField();
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (Field.empty() || !DS) return;
    bool UseMask = true, AutoFill = true;
    String Mask;
    daGetPictureMask(DS, Field, false, UseMask, AutoFill, Mask);
    if (!Mask.empty()) daPictureMaskKeyPress(this, Mask, FPictureMaskAutoFill, Key);
}

String TdaIncrementalSearch::EffectiveSearchField() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS || !DS->Active()) return String();
    String FromIndex;
    TObject* DefsObj = nullptr;
    daGetIndexDefs(DS, DefsObj);
    auto* Defs = dynamic_cast<TIndexDefs*>(DefsObj);
    if (!daIsKindOf(DS, u"TBDEDataset") && Defs && FSearchField.empty())
        if (const TIndexDef* D = Defs->Find(DS->IndexName())) FromIndex = FirstName(D->Fields);
    if (daIsKindOf(DS, u"TTable")) {
        if (daGetIndexFieldCount(DS) == 0)
            return !FSearchField.empty() ? FSearchField : (DS->FieldCount() ? DS->Fields()[0]->FieldName() : String());
        TField* F = daGetIndexField(DS, 0);
        return F ? F->FieldName() : String();
    }
    if (!FSearchField.empty()) return FSearchField;
    if (!FromIndex.empty()) return FromIndex;
    return DS->FieldCount() ? DS->Fields()[0]->FieldName() : String();
}

void TdaIncrementalSearch::FindValue() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS) return;
    if (!OnPerformCustomSearch && !DS->Active()) return;
    const String Typed = Text();
    String F = FSearchField;
    bool CaseFlag = false, Found = false, ByField = false;
    bool IndexGaveField = false;
    TObject* DefsObj = nullptr;
    daGetIndexDefs(DS, DefsObj);
    auto* Defs = dynamic_cast<TIndexDefs*>(DefsObj);
    // 1. The case rule and the field from the active index.
    if (!daIsKindOf(DS, u"TBDEDataset")) {
        if (Typed.empty()) {
            DS->First();
            return;
        }
        if (Defs)
            if (const TIndexDef* D = Defs->Find(DS->IndexName()); D && !DS->IndexName().empty()) {
                CaseFlag = (D->Options & ixCaseInsensitive) == 0;
                if (F.empty()) {
                    F = FirstName(D->Fields);
                    IndexGaveField = true;
                }
            }
    }
    // 2. The setting has the last word.
    if (FCaseSensitivity == dacsCaseSensitive) CaseFlag = true;
    if (FCaseSensitivity == dacsCaseInsensitive) CaseFlag = false;
    const TLocateOptions Partial = loPartialKey | (CaseFlag ? 0 : loCaseInsensitive);
    const bool CaseForUnless = FCaseSensitivity != dacsAutoDetect ? CaseFlag : false;

    auto CutToSize = [&](TField* Field, const String& Value) {
        if (Field && dynamic_cast<TStringField*>(Field) && Field->Size() > 0 && int(Value.size()) > Field->Size())
            return Value.substr(0, size_t(Field->Size()));
        return Value;
    };

    if (OnPerformCustomSearch) {
        // 3. The application searches.
        F = !FSearchField.empty() ? FSearchField : (DS->FieldCount() ? DS->Fields()[0]->FieldName() : String());
        DoPerformCustomSearch(F, CutToSize(DS->FindField(F), Typed), Found, false);
    } else if (daIsKindOf(DS, u"TTable")) {
        // 4. A table with its index.
        const bool Query = daIsQueryTable(DS);
        const int IndexFields = daGetIndexFieldCount(DS);
        if (IndexFields == 0 && Query) {
            ByField = true;
            F = !FSearchField.empty() ? FSearchField : (DS->FieldCount() ? DS->Fields()[0]->FieldName() : String());
            Found = daLocateUnlessCurrent(DS, Typed, F, CaseForUnless, true);
        } else if (FSearchField.find(u';') != String::npos && Typed.find(u';') != String::npos &&
                   Typed.find(u';') < Typed.size() - 1) {
            const std::vector<String> Names = SplitNames(FSearchField);
            std::vector<String> Values = SplitNames(Typed);
            TVariantArray Keys;
            for (size_t I = 0; I < Names.size(); ++I)
                Keys.push_back(Variant(CutToSize(DS->FindField(Names[I]), I < Values.size() ? Values[I] : String())));
            Found = DS->Locate(FSearchField, Variant(Keys), Partial);
        } else {
            int P = 0;
            for (int I = 0; I < IndexFields && !FSearchField.empty(); ++I)
                if (TField* IF = daGetIndexField(DS, I); IF && LowerCase(IF->FieldName()) == LowerCase(FSearchField))
                    P = I;
            TField* First = daGetIndexField(DS, 0);
            if (IndexFields > 0 && FCaseSensitivity == dacsAutoDetect &&
                (P > 0 || FSearchField.empty() || (First && daSameText(First->FieldName(), FSearchField)))) {
                Found = daFindIncremental(DS, Typed, P);
            } else {
                F = !FSearchField.empty() ? FirstName(FSearchField)
                                          : (DS->FieldCount() ? DS->Fields()[0]->FieldName() : String());
                ByField = true;
                Found = daLocateUnlessCurrent(DS, Typed, F, CaseFlag, true);
            }
        }
    } else {
        // 5. Any other dataset: by the field's values.
        ByField = true;
        if (F.empty() && !IndexGaveField) {
            F = FirstName(DS->IndexFieldNames());
            if (F.empty() && DS->FieldCount()) F = DS->Fields()[0]->FieldName();
        }
        TField* Field = DS->FindField(F);
        if (!Field || !daIsValidFieldValue(Field, Typed)) {
            Found = false;
        } else if (daGlobalIntl->UseLocateMethodForSearch) {
            TBusyCursor Busy;
            if (daIsKindOf(DS, u"TBDEDataSet") && FCaseSensitivity == dacsAutoDetect)
                Found = DS->Locate(F, Variant(Typed), loCaseInsensitive | loPartialKey);
            else
                Found = DS->Locate(F, Variant(Typed), Partial);
        } else {
            Found = daLocateUnlessCurrent(DS, Typed, F, CaseForUnless, true);
        }
    }
    // 6.
    if (OnAfterSearch) OnAfterSearch(this, Found);
    // 7. Complete the text from the record found and select what was added.
    if (FShowMatchText && Found) {
        String NewText;
        if (F.empty() && !ByField) {
            if (TField* IF = daGetIndexField(DS, 0)) NewText = IF->AsString();
        } else {
            const std::vector<String> Names = SplitNames(F);
            for (size_t I = 0; I < Names.size(); ++I) {
                if (I) NewText += u";";
                if (TField* Part = DS->FindField(Names[I])) NewText += Part->AsString();
            }
        }
        SetText(NewText);
        SetSelStart(int(Typed.size()));
        SetSelLength(int(NewText.size()) - int(Typed.size()));
    }
}
