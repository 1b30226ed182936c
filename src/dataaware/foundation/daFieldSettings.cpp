#include "dataaware/foundation/daFieldSettings.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/data/DB.h"
#include "platform/gui/Controls.h"

#include <vector>

namespace {

const Char TAB = u'\t';

std::vector<String> Split(const String& Line, Char Delimiter) {
    TStringList L;
    daSplitToList(Line, Delimiter, &L);
    std::vector<String> Parts;
    for (int I = 0; I < L.Count(); ++I)
        Parts.push_back(L.Strings(I));
    return Parts;
}

String Part(const std::vector<String>& Parts, std::size_t Index) {
    return Index < Parts.size() ? Parts[Index] : String();
}

String Flag(bool Value) { return Value ? u"T" : u"F"; }

// The first line whose first part equals Name without regard to case; -1 when none.
int FindLine(TStrings* List, const String& Name, Char Delimiter) {
    if (!List) return -1;
    for (int I = 0; I < List->Count(); ++I)
        if (daSameText(Part(Split(List->Strings(I), Delimiter), 0), Name)) return I;
    return -1;
}

TDataSet* DataSetOfComponent(TObject* Component) {
    auto* Source = dynamic_cast<TDataSource*>(daGetDataSource(Component));
    return Source ? Source->DataSet() : nullptr;
}

TObject* SettingSource(TObject* Component, TDataSet* DataSet, bool FromDataSet, TStrings* (*List)(TObject*)) {
    if (!DataSet) DataSet = DataSetOfComponent(Component);
    if (DataSet && FromDataSet && List(DataSet)) return DataSet;
    return Component;
}

bool IsAField(TDataSet* DataSet, const String& Name) {
    return DataSet && DataSet->FindField(Name) != nullptr;
}

} // namespace

TObject* daGetPictureMaskSource(TObject* Component, TDataSet* DataSet) {
    return SettingSource(Component, DataSet, daGetPictureMaskFromDataSet(Component), daGetPictureMasks);
}

TObject* daGetControlTypeSource(TObject* Component, TDataSet* DataSet) {
    return SettingSource(Component, DataSet, daGetControlInfoInDataSet(Component), daGetControlType);
}

// ---- PictureMasks ----------------------------------------------------------------------------

void daGetPictureMask(TObject* Component, const String& FieldName, bool UseDataSetPicture, bool& UseMask,
                      bool& AutoFill, String& Mask) {
    UseMask = true;
    AutoFill = true;
    Mask.clear();
    TStrings* List = daGetPictureMasks(Component);
    const int Line = FindLine(List, FieldName, TAB);
    if (Line >= 0) {
        const std::vector<String> Parts = Split(List->Strings(Line), TAB);
        Mask = Part(Parts, 1);
        AutoFill = Part(Parts, 2) == u"T";
        UseMask = Part(Parts, 3) == u"T";
    }
    if (UseDataSetPicture && daIsKindOf(Component, u"TdaTable")) {
        String Picture;
        if (auto* DS = dynamic_cast<TDataSet*>(Component)) daGetDBPicture(DS, FieldName, Picture);
        if (!Picture.empty()) {
            if (Line >= 0) daSetPictureMask(Component, FieldName, Picture, false, false, true, UseMask, AutoFill);
            Mask = Picture;
        }
    }
}

void daSetPictureMask(TObject* Component, const String& FieldName, String Mask, bool SetUseFlag,
                      bool SetAutoFillFlag, bool SetMaskFlag, bool UseMask, bool AutoFill) {
    TStrings* List = daGetPictureMasks(Component);
    if (!List) return;
    if (daIsKindOf(Component, u"TdaTable")) {
        String Picture;
        if (auto* DS = dynamic_cast<TDataSet*>(Component)) daGetDBPicture(DS, FieldName, Picture);
        if (!Picture.empty()) Mask = Picture;
    }
    const int Line = FindLine(List, FieldName, TAB);
    if (Line >= 0) {
        const std::vector<String> Parts = Split(List->Strings(Line), TAB);
        if (!SetMaskFlag) Mask = Part(Parts, 1);
        if (!SetAutoFillFlag) AutoFill = Part(Parts, 2) == u"T";
        if (!SetUseFlag) UseMask = Part(Parts, 3) == u"T";
    }
    const String Entry = FieldName + TAB + Mask + TAB + Flag(AutoFill) + TAB + Flag(UseMask);
    if (Line >= 0) {
        if (Mask.empty())
            List->Delete(Line);
        else
            List->SetString(Line, Entry);
    } else if (!Mask.empty()) {
        List->Add(Entry);
    }
}

// ---- RegexMasks ------------------------------------------------------------------------------

void daGetRegexMask(TObject* Grid, const String& FieldName, String& Mask, String& Description, bool& CaseSensitive) {
    Mask.clear();
    Description.clear();
    CaseSensitive = true;
    TStrings* List = daGetRegexMasks(Grid);
    const int Line = FindLine(List, FieldName, TAB);
    if (Line < 0) return;
    const std::vector<String> Parts = Split(List->Strings(Line), TAB);
    Mask = Part(Parts, 1);
    CaseSensitive = Part(Parts, 2) == u"T";
    Description = Part(Parts, 3);
}

void daSetRegexMask(TObject* Grid, const String& FieldName, const String& Mask, const String& Description,
                    bool CaseSensitive) {
    TStrings* List = daGetRegexMasks(Grid);
    if (!List) return;
    const String Entry = FieldName + TAB + Mask + TAB + Flag(CaseSensitive) + TAB + Description;
    const int Line = FindLine(List, FieldName, TAB);
    if (Line >= 0) {
        if (Mask.empty())
            List->Delete(Line);
        else
            List->SetString(Line, Entry);
    } else if (!Mask.empty()) {
        List->Add(Entry);
    }
}

// ---- ControlType -----------------------------------------------------------------------------

void daGetFieldControlType(TObject* Component, const String& FieldName, String& Type, String& Parameters) {
    Type.clear();
    Parameters.clear();
    TStrings* List = daGetControlType(Component);
    if (!List) return;
    for (int I = 0; I < List->Count(); ++I) {
        const String Line = List->Strings(I);
        const std::vector<String> Parts = Split(Line, u';');
        if (Part(Parts, 0) != FieldName) continue;
        Type = Part(Parts, 1);
        // Everything after the second ';', at most 255 characters.
        const std::size_t First = Line.find(u';');
        const std::size_t Second = First == String::npos ? String::npos : Line.find(u';', First + 1);
        Parameters = Second == String::npos ? String() : Line.substr(Second + 1, 255);
    }
}

void daSetFieldControlType(TObject* Component, const String& FieldName, const String& Type,
                           const String& Parameters) {
    TStrings* List = daGetControlType(Component);
    if (!List) return;
    const int Line = FindLine(List, FieldName, u';');
    if (Line < 0) {
        List->Add(FieldName + u";" + Type + u";" + Parameters);
        return;
    }
    if (Type.empty() || daSameText(Type, u"field")) {
        List->Delete(Line);
        return;
    }
    const String Written = Part(Split(List->Strings(Line), u';'), 0);
    List->SetString(Line, Written + u";" + Type + u";" + Parameters);
}

bool daIsEmbeddedEditType(const String& Type) {
    for (const char16_t* T : {u"CustomEdit", u"LookupCombo", u"Combo", u"RichEdit"})
        if (daSameText(Type, T)) return true;
    return false;
}

bool daIsRichTextField(TField* Field, bool CheckContent) {
    if (!Field || !Field->IsBlob()) return false;
    if (TStrings* List = daGetControlType(Field->DataSet())) {
        const String Prefix = Field->FieldName() + u";RichEdit";
        for (int I = 0; I < List->Count(); ++I)
            if (List->Strings(I).compare(0, Prefix.size(), Prefix) == 0) return true;
    }
    if (!CheckContent) return false;
    if (Field->DataType() == ftWideMemo) return Field->AsString().compare(0, 5, u"{\\rtf") == 0;
    auto Stream = Field->DataSet()->CreateBlobStream(Field, bmRead);
    char Head[5] = {' ', ' ', ' ', ' ', ' '};
    Stream->Read(Head, 5);
    return std::string(Head, 5) == "{\\rtf";
}

bool daFindFieldCustomControl(TObject* Dialog, TComponent* Form, TField* Field, TWinControl*& Control) {
    Control = nullptr;
    if (!Field || !Form) return false;
    TStrings* List = nullptr;
    if (daGetControlInfoInDataSet(Dialog)) List = daGetControlType(Field->DataSet());
    if (!List) List = daGetControlType(Dialog);
    if (!List) return false;
    for (int I = 0; I < List->Count(); ++I) {
        const std::vector<String> Parts = Split(List->Strings(I), u';');
        if (Parts.size() < 2 || !daSameText(Parts[0], Field->FieldName()) || !daIsEmbeddedEditType(Parts[1]))
            continue;
        if (auto* W = dynamic_cast<TWinControl*>(Form->FindComponent(Part(Parts, 2)))) {
            Control = W;
            return true;
        }
        return false;
    }
    return false;
}

void daDetachFieldControls(TComponent* Component) {
    TObject* Source = daGetControlTypeSource(Component);
    TStrings* List = daGetControlType(Source);
    if (!List) return;
    TComponent* Owner = daGetOwnerFormOrFrame(Component);
    for (int I = 0; Owner && I < List->Count(); ++I) {
        const std::vector<String> Parts = Split(List->Strings(I), u';');
        if (Parts.size() < 2 || !daIsEmbeddedEditType(Parts[1])) continue;
        if (auto* W = dynamic_cast<TWinControl*>(Owner->FindComponent(Part(Parts, 2)))) {
            daSetDataSource(W, nullptr);
            daSetDataField(W, u"");
        }
    }
    List->Clear();
}

// ---- LookupFields and LookupLinks ------------------------------------------------------------

namespace {

// The index of the first "LookupFields" line whose CalcField is exactly Name; -1 when none.
int LookupLine(TStrings* Fields, const String& Name, std::size_t MinParts = 0) {
    if (!Fields) return -1;
    for (int I = 0; I < Fields->Count(); ++I) {
        const std::vector<String> Parts = Split(Fields->Strings(I), u';');
        if (Part(Parts, 0) == Name && Parts.size() >= MinParts) return I;
    }
    return -1;
}

} // namespace

void daGetLookupLinkOfField(TObject* DataSet, const String& FieldName, String& Links) {
    Links.clear();
    TStrings* LinkList = daGetLookupLinks(DataSet);
    const int Line = LookupLine(daGetLookupFields(DataSet), FieldName);
    if (LinkList && Line >= 0 && Line < LinkList->Count()) Links = LinkList->Strings(Line);
}

void daGetLookupResultFieldName(TObject* DataSet, const String& FieldName, String& Name) {
    Name.clear();
    TStrings* Fields = daGetLookupFields(DataSet);
    const int Line = LookupLine(Fields, FieldName);
    if (Line >= 0) Name = Part(Split(Fields->Strings(Line), u';'), 3);
}

void daParseLookupFieldsEntry(TField* Field, String& DatabaseName, String& TableName, String& Links,
                              String& ResultField) {
    DatabaseName.clear();
    TableName.clear();
    Links.clear();
    ResultField.clear();
    if (!Field) return;
    TDataSet* DS = Field->DataSet();
    TStrings* Fields = daGetLookupFields(DS);
    const int Line = LookupLine(Fields, Field->FieldName(), 5);
    if (Line < 0) {
        daGetDatabaseName(DS, DatabaseName);
        return;
    }
    const std::vector<String> Parts = Split(Fields->Strings(Line), u';');
    DatabaseName = Parts[1];
    TableName = Parts[2];
    ResultField = Parts[3];
    TStrings* LinkList = daGetLookupLinks(DS);
    if (LinkList && Line < LinkList->Count()) Links = LinkList->Strings(Line);
}

bool daTableMatchesLookupEntry(TObject* Table, TStrings* Parts) {
    if (!Table || !Parts || Parts->Count() < 3) return false;
    String Database, Name;
    daGetDatabaseName(Table, Database);
    daGetTableName(Table, Name);
    if (Database != Parts->Strings(1)) return false;
    String Wanted = Parts->Strings(2);
    if (Parts->Count() >= 6 && Parts->Strings(Parts->Count() - 1) == u"N") {
        String Head;
        daTextBeforeChar(Wanted, u'.', Head);
        if (!Head.empty() || Wanted.find(u'.') != String::npos) Wanted = Head;
    }
    return Name == Wanted;
}

void daRemoveStaleFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* Parallel, TStrings* Keyed) {
    if (LookupFields)
        for (int I = LookupFields->Count() - 1; I >= 0; --I) {
            if (IsAField(DataSet, Part(Split(LookupFields->Strings(I), u';'), 0))) continue;
            LookupFields->Delete(I);
            if (Parallel && I < Parallel->Count()) Parallel->Delete(I);
        }
    if (Keyed)
        for (int I = Keyed->Count() - 1; I >= 0; --I)
            if (!IsAField(DataSet, Part(Split(Keyed->Strings(I), u';'), 0))) Keyed->Delete(I);
}

// ---- Selected --------------------------------------------------------------------------------

void daFieldsToSelectedList(TDataSet* DataSet, TStrings* Strings) {
    Strings->Clear();
    for (int I = 0; I < DataSet->FieldCount(); ++I) {
        TField* F = DataSet->Fields()[I];
        if (F->Visible())
            Strings->Add(F->FieldName() + TAB + IntToStr(F->DisplayWidth()) + TAB + F->DisplayLabel());
    }
}

void daApplySelectedToFields(TDataSet* DataSet, TStrings* Strings) {
    DataSet->DisableControls();
    TScopeExit Enable([&] { DataSet->EnableControls(); });
    for (int I = 0; I < DataSet->FieldCount(); ++I)
        DataSet->Fields()[I]->SetVisible(false);
    for (int I = 0; I < Strings->Count(); ++I) {
        const std::vector<String> Parts = Split(Strings->Strings(I), TAB);
        TField* F = DataSet->FindField(Part(Parts, 0));
        if (!F) continue;
        F->SetDisplayWidth(StrToInt(Part(Parts, 1)));
        F->SetDisplayLabel(Part(Parts, 2));
        F->SetIndex(std::min(I, DataSet->FieldCount() - 1));
        F->SetVisible(true);
    }
}

bool daFindSelectedField(TStrings* Strings, const String& FieldName, int& Index) {
    Index = FindLine(Strings, FieldName, TAB);
    return Index >= 0;
}
