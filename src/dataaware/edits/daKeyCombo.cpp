#include "dataaware/edits/daKeyCombo.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDataSetUtils.h"
#include "dataaware/foundation/daFieldSettings.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"

namespace {

const char16_t* const QueryTableWarning = u"TdaKeyCombo: DataSet cannot be a TdaTable using a Query.";

void Warn(const String& Text) { MessageDlg(Text, mtWarning, {mbOK}, 0); }

TIndexDefs* IndexDefsOf(TDataSet* DataSet) {
    TObject* Defs = nullptr;
    daGetIndexDefs(DataSet, Defs);
    return dynamic_cast<TIndexDefs*>(Defs);
}

String FirstName(const String& Names) {
    String Head;
    if (Names.find(u';') == String::npos) return Names;
    daTextBeforeChar(Names, u';', Head);
    return Head;
}

} // namespace

void TdaKeyDataLink::ActiveChanged() { FdaKeyCombo->LinkActive(Active()); }

void TdaKeyDataLink::DataSetChanged() { FdaKeyCombo->DataChanged(); }

TdaKeyCombo::TdaKeyCombo(TComponent* AOwner)
    : TdaDBCustomComboBox(AOwner), FDataLink(std::make_unique<TdaKeyDataLink>(this)) {
    TdaDBCustomComboBox::SetStyle(csDropDownList);
}

TdaKeyCombo::~TdaKeyCombo() {
    FDataLink->SetDataSource(nullptr);
    FDataLink.reset();
}

void TdaKeyCombo::Published(TPublisher<TdaKeyCombo>& P) {
    P.Property(u"ShowAllIndexes", &TdaKeyCombo::ShowAllIndexes, &TdaKeyCombo::SetShowAllIndexes).Default(false);
    P.Property(u"DataSource", &TdaKeyCombo::DataSource, &TdaKeyCombo::SetDataSource);
    P.Property(u"PrimaryKeyName", &TdaKeyCombo::PrimaryKeyName, &TdaKeyCombo::SetPrimaryKeyName);
    P.Property(u"OnCloseUp", &TdaKeyCombo::OnCloseUp);
}

bool TdaKeyCombo::UseAllFields(TDataSet* Value) {
    if (!Value) return FShowAllFields;
    return daClassInheritsFrom(Value->ClassType(), u"TClientDataSet") || FShowAllFields ||
           (daGetCursorLocation(Value) == 1 &&
            (daClassInheritsFrom(Value->ClassType(), u"TADOTable") ||
             daClassInheritsFrom(Value->ClassType(), u"TADODataSet")));
}

void TdaKeyCombo::SetDataSource(TDataSource* Value) {
    TDataSet* DS = Value ? Value->DataSet() : nullptr;
    if (DS && !daIsKindOf(DS, u"TTable") && !UseAllFields(DS) && !IsPublishedProp(DS, u"IndexDefs")) {
        Warn(u"DataSource must point to a dataset containing index information.");
        return;
    }
    if (FDataLink->DataSource()) FDataLink->DataSource()->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(FDataLink->Active());
}

void TdaKeyCombo::SetShowAllIndexes(bool Value) {
    FShowAllIndexes = Value;
    if (DataSource()) InitCombo();
}

void TdaKeyCombo::SetShowAllFields(bool Value) {
    FShowAllFields = Value;
    if (DataSource()) InitCombo();
}

void TdaKeyCombo::LinkActive(bool Active) {
    if (Active) InitCombo();
}

void TdaKeyCombo::RefreshDisplay() {
    TValueScope<bool> Keep(skipReload, true);
    InitComboWithGrid(nullptr);
}

void TdaKeyCombo::DataChanged() {
    if (!Patch[0] && HandleAllocated() && DataSource() && DataSource()->State() == dsBrowse) RefreshDisplay();
}

void TdaKeyCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TdaDBCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
}

void TdaKeyCombo::DropDown() {
    SetShowMatchText(true);
    TdaDBCustomComboBox::DropDown();
}

void TdaKeyCombo::CloseUp(bool Accept) {
    TdaDBCustomComboBox::CloseUp(Accept);
    SetShowMatchText(false);
    if (Style() == csDropDownList && HandleAllocated()) HideCaret(WindowHandle());
    if (OnCloseUp) OnCloseUp(this, Accept);
}

String TdaKeyCombo::EntryText(TField* Field) {
    String Text;
    daReplaceChar(Field->DisplayLabel(), u'~', u' ', Text);
    return Text;
}

bool TdaKeyCombo::IsFieldVisible(TField* Field, TStrings* Selected) const {
    if (!Selected) return Field->Visible();
    int Index;
    return daFindSelectedField(Selected, Field->FieldName(), Index);
}

void TdaKeyCombo::InitComboWithGrid(TComponent* Grid) {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS) return;
    TValueScope<bool> Filling(FFilling, true);
    TStrings* Selected = nullptr;
    if (Grid && IsPublishedProp(Grid, u"Selected") && PropType(Grid, u"Selected") == tkClass)
        Selected = dynamic_cast<TStrings*>(GetObjectProp(Grid, u"Selected"));
    TIndexDefs* Defs = nullptr;
    if (daIsKindOf(DS, u"TTable")) {
        Defs = IndexDefsOf(DS);
        if (daIsQueryTable(DS)) {
            Warn(QueryTableWarning);
            return;
        }
    } else if (UseAllFields(DS)) {
        if (!skipReload) {
            Items()->Clear();
            for (int I = 0; I < DS->FieldCount(); ++I) {
                TField* F = DS->Fields()[I];
                if (daIsNonBinaryFieldType(F->DataType()) && !daIsCalcOrLookupField(F) &&
                    (IsFieldVisible(F, Selected) || FShowAllIndexes))
                    Items()->Add(EntryText(F));
            }
        }
        String Label;
        if (TField* F = DS->FindField(FirstName(DS->IndexFieldNames()))) Label = F->DisplayLabel();
        SetItemIndex(Items()->IndexOf(Label));
        return;
    } else {
        Defs = IndexDefsOf(DS);
        if (!Defs) return;
    }
    if (!Defs) return;
    // A detail dataset keeps its order.
    if (daGetMasterSource(DS)) return;

    bool Reload = !skipReload;
    if (!Reload && !FShowAllIndexes)
        for (int I = 0; I < Items()->Count(); ++I) {
            String Name;
            String Entry = Items()->Strings(I);
            if (Entry.size() > 7 && Entry.compare(Entry.size() - 7, 7, u" - Desc") == 0) Entry.resize(Entry.size() - 7);
            daFieldNameOfLabel(DS, Entry, Name);
            if (Name.empty()) Reload = true;
        }
    if (Reload) {
        skipReload = false;
        Items()->Clear();
        if (FShowAllIndexes)
            for (int I = 0; I < Defs->Count(); ++I)
                Items()->Add((*Defs)[I].Name.empty() ? FPrimaryKeyName : (*Defs)[I].Name);
    }
    if (FShowAllIndexes) {
        const String Name = DS->IndexName().empty() ? FPrimaryKeyName : DS->IndexName();
        SetItemIndex(Items()->IndexOf(Name));
        return;
    }
    String Active;
    bool ActiveDescending = false;
    for (int I = 0; I < Defs->Count(); ++I) {
        const TIndexDef& D = (*Defs)[I];
        TField* F = DS->FindField(FirstName(D.Fields));
        if (!F || !IsFieldVisible(F, Selected)) continue;
        const String Text = EntryText(F);
        if (Text.empty()) continue;
        const bool Descending = (D.Options & ixDescending) != 0;
        const String Entry = Descending ? Text + u" - Desc" : Text;
        if (Reload && Items()->IndexOf(Entry) < 0) Items()->Add(Entry);
        const bool IsActive = !DS->IndexFieldNames().empty() ? daSameText(DS->IndexFieldNames(), D.Fields)
                                                             : daSameText(D.Name, DS->IndexName());
        if (IsActive) {
            Active = Text;
            ActiveDescending = Descending;
        }
    }
    const String Wanted = ActiveDescending ? Active + u" - Desc" : Active;
    int Index = -1;
    if (!Active.empty())
        for (int I = 0; I < Items()->Count(); ++I)
            if (daSameText(Items()->Strings(I), Wanted)) Index = I;
    if (Index != ItemIndex()) SetItemIndex(Index);
}

void TdaKeyCombo::Change() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (FFilling || !DS || !DS->Active()) return;
    TIndexDefs* Defs = nullptr;
    if (daIsKindOf(DS, u"TTable")) {
        if (daIsQueryTable(DS)) {
            Warn(QueryTableWarning);
            return;
        }
        Defs = IndexDefsOf(DS);
    } else if (UseAllFields(DS)) {
        if (!Text().empty()) {
            TValueScope<bool> Own(Patch[0], true);
            String Name;
            daFieldNameOfLabel(DS, Text(), Name);
            daSetIndexFieldNames(DS, Name);
        }
        TdaDBCustomComboBox::Change();
        return;
    } else {
        Defs = IndexDefsOf(DS);
        if (!Defs) {
            Warn(u"TdaKeyCombo: Virtual DataSet does not have index information available.");
            return;
        }
    }
    if (FShowAllIndexes) {
        daSetIndexName(DS, Text() == FPrimaryKeyName ? String() : Text());
        TdaDBCustomComboBox::Change();
        return;
    }
    if (Defs) {
        // Case-insensitive indexes first, then those on the field alone, then any.
        const TIndexDef* Found = nullptr;
        for (int Pass = 0; Pass < 3 && !Found; ++Pass)
            for (int I = 0; I < Defs->Count() && !Found; ++I) {
                const TIndexDef& D = (*Defs)[I];
                TField* F = DS->FindField(FirstName(D.Fields));
                if (!F) continue;
                if (Pass == 0 && !(D.Options & ixCaseInsensitive)) continue;
                if (Pass == 1 && D.Fields.find(u';') != String::npos) continue;
                const String Entry = (D.Options & ixDescending) ? EntryText(F) + u" - Desc" : EntryText(F);
                if (Entry == Text()) Found = &D;
            }
        if (Found) {
            if (daIsKindOf(DS, u"TBDEDataSet"))
                daSelectIndexDef(DS, *Found);
            else
                daSetIndexName(DS, Found->Name);
        }
    }
    {
        TValueScope<bool> Filling(FFilling, true);
        const int Index = Items()->IndexOf(Text());
        if (Index != ItemIndex()) SetItemIndex(Index);
    }
    TdaDBCustomComboBox::Change();
}
