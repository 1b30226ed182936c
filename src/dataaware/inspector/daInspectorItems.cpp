// Inspector items: the item tree, its pick lists and mapped values, the walks and lookups over
// it, and the text stream that carries a whole tree.
#include "dataaware/inspector/daInspector.h"

#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

// ---- Pick list ---------------------------------------------------------------------------------

TdaInspectorPickList::TdaInspectorPickList()
    : FItems(std::make_unique<TStringList>()), FButtonGlyph(std::make_unique<TBitmap>()) {}

void TdaInspectorPickList::SetButtonGlyph(TBitmap* Value) {
    FButtonGlyph->Assign(Value);
}

void TdaInspectorPickList::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TdaInspectorPickList*>(Source)) {
        SetItems(S->Items());
        MapList = S->MapList;
        Style = S->Style;
        ShowMatchText = S->ShowMatchText;
        AllowClearKey = S->AllowClearKey;
        ButtonStyle = S->ButtonStyle;
        DisplayAsCheckbox = S->DisplayAsCheckbox;
        SetButtonGlyph(S->ButtonGlyph());
        ButtonWidth = S->ButtonWidth;
        return;
    }
    TPersistent::Assign(Source);
}

void TdaInspectorPickList::LineParts(int Index, String& Display, String& Value) const {
    const String Line = FItems->Strings(Index);
    int Pos = 1;
    daNextToken(Line, u"\t", Pos, Display);
    Value.clear();
    if (Pos > 0) daNextToken(Line, u"\t", Pos, Value);
}

// ---- Field link --------------------------------------------------------------------------------

void TdaInspectorFieldDataLink::DataSetChanged() {
    TFieldDataLink::DataSetChanged();
    TdaDataInspector* I = InspectorItem ? InspectorItem->Inspector() : nullptr;
    if (I && I->ActiveItem() == InspectorItem && I->DataLink()->DataSource() != DataSource()) I->DataChanged();
}

// ---- Item --------------------------------------------------------------------------------------

TdaInspectorItem::TdaInspectorItem(TCollection* ACollection) : TCollectionItem(ACollection) {
    auto* Owner = dynamic_cast<TdaInspectorCollection*>(ACollection);
    TComponent* C = Owner ? Owner->Control() : nullptr;
    FParentItem = Owner ? Owner->ParentItem() : nullptr;
    FItems = std::make_unique<TdaInspectorCollection>(C, this);
    FPickList = std::make_unique<TdaInspectorPickList>();
    FPicture = std::make_unique<TdaDBPicture>(nullptr);
    FDataLink = std::make_unique<TdaInspectorFieldDataLink>();
    FDataLink->InspectorItem = this;
    if (auto* I = dynamic_cast<TdaDataInspector*>(C)) {
        FDataLink->OnDataChange = [I] { I->Invalidate(); };
        FDataLink->OnUpdateData = [I] { I->DataLink()->DoUpdateData(); };
        I->ItemsChanged();
    }
}

TdaInspectorItem::~TdaInspectorItem() {
    FItems.reset();
    FDataLink.reset();
    if (TdaDataInspector* I = Inspector(); I && !I->ComponentState().Contains(csDestroying) && !I->FDestroying) {
        if (I->FLastActiveItem == this) I->FLastActiveItem = nullptr;
        I->ItemsChanged();
        I->Invalidate();
    }
}

TComponent* TdaInspectorItem::Control() const {
    auto* C = dynamic_cast<TdaInspectorCollection*>(Collection());
    return C ? C->Control() : nullptr;
}

TdaDataInspector* TdaInspectorItem::Inspector() const {
    return dynamic_cast<TdaDataInspector*>(Control());
}

int TdaInspectorItem::Level() const {
    int L = 0;
    for (auto* P = FParentItem; P; P = P->FParentItem)
        ++L;
    return L;
}

void TdaInspectorItem::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TdaInspectorItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetEditText(S->EditText());
    SetCaption(S->Caption());
    SetCellHeight(S->CellHeight());
    ReadOnly = S->ReadOnly;
    SetCustomControl(S->CustomControl());
    SetDataField(S->DataField());
    Resizeable = S->Resizeable;
    SetVisible(S->Visible());
    Tag = S->Tag;
    TagString = S->TagString;
    SetExpanded(S->Expanded());
    if (S->Items()->Count() > 0) SetItems(S->Items());
    SetPickList(S->PickList());
}

void TdaInspectorItem::SetItems(TdaInspectorCollection* Value) {
    FItems->Assign(Value);
}

String TdaInspectorItem::GetNamePath() const {
    String Path;
    for (const TdaInspectorItem* I = this; I; I = I->FParentItem)
        Path = u"Items[" + IntToStr(I->Index()) + u"]" + Path;
    TComponent* C = Control();
    return (C ? C->Name() : String()) + u"." + Path;
}

String TdaInspectorItem::GetDisplayName() const {
    return IntToStr(Index()) + u" - " + (FCaption.empty() ? String(u"<InspectorItem>") : FCaption);
}

TDataSource* TdaInspectorItem::DataSource() const {
    if (FDataLink->DataSource()) return FDataLink->DataSource();
    if (TdaDataInspector* I = Inspector()) return I->DataSource();
    return nullptr;
}

void TdaInspectorItem::SetDataSource(TDataSource* Value) {
    TdaDataInspector* I = Inspector();
    // The inspector's own source is kept as none, so the item follows later changes of it.
    if (I && Value == I->DataSource()) Value = nullptr;
    FDataLink->SetDataSource(Value);
}

String TdaInspectorItem::DataField() const {
    return FDataLink->DataSource() ? FDataLink->FieldName() : FDataField;
}

void TdaInspectorItem::SetDataField(const String& Value) {
    FDataField = Value;
    FDataLink->SetFieldName(Value);
}

TField* TdaInspectorItem::Field() const {
    TDataSource* S = DataSource();
    if (!S || !S->DataSet()) return nullptr;
    const String F = DataField();
    return F.empty() ? nullptr : S->DataSet()->FindField(F);
}

void TdaInspectorItem::SetCaption(const String& Value) {
    FCaption = Value;
}

void TdaInspectorItem::SetCellHeight(int Value) {
    if (Value == FCellHeight) return;
    FCellHeight = Value;
    if (TdaDataInspector* I = Inspector()) I->RefreshItem(this);
}

void TdaInspectorItem::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (TdaDataInspector* I = Inspector()) I->ApplySettings();
}

void TdaInspectorItem::SetExpanded(bool Value) {
    if (Value == FExpanded) return;
    FExpanded = Value;
    if (TdaDataInspector* I = Inspector()) I->ApplySettings();
}

void TdaInspectorItem::SetCustomControl(TWinControl* Value) {
    TdaDataInspector* I = Inspector();
    if (I && Value == I) return;
    if (Value != FCustomControl) {
        if (Value) {
            Value->SetVisible(false);
            if (I && DataSource()) I->BindEditControl(Value, this);
        }
        if (FCustomControl && I && I->FCustomEdit == FCustomControl) I->HideCustomEdit();
    }
    FCustomControl = Value;
    if (I && Value) Value->FreeNotification(I);
    if (I && Collection() && Collection()->UpdateCount() == 0) {
        I->Update();
        I->Invalidate();
        I->Update();
    }
}

String TdaInspectorItem::ItemText() const {
    if (TField* F = Field()) return F->Text();
    return FEditText;
}

String TdaInspectorItem::GetMappedDisplayText(const String& RawValue) const {
    if (!FPickList->MapList) return RawValue;
    for (int L = 0; L < FPickList->Items()->Count(); ++L) {
        String D, V;
        FPickList->LineParts(L, D, V);
        if (V == RawValue) return D;
    }
    return String();
}

void TdaInspectorItem::WriteDisplayText(const String& S) {
    const String Old = FEditText;
    if (FPickList->MapList) {
        const String Upper = AnsiUpperCase(S);
        for (int L = 0; L < FPickList->Items()->Count(); ++L) {
            String D, V;
            FPickList->LineParts(L, D, V);
            if (AnsiUpperCase(D) == Upper) {
                SetEditText(V);
                break;
            }
        }
    } else {
        SetEditText(S);
    }
    TdaDataInspector* I = Inspector();
    if (I && I->ActiveItem() == this) {
        if (I->FCustomEdit)
            I->FCustomEdit->SetText(S);
        else if (I->UsesDefaultEditor() && I->InplaceEditor())
            I->InplaceEditor()->SetText(S);
    }
    if (I && FEditText != Old) ItemChanged();
}

bool TdaInspectorItem::Checked() const {
    return FPickList->Items()->Count() > 0 && ItemText() == FPickList->Items()->Strings(0);
}

void TdaInspectorItem::SetChecked(bool Value) {
    TStrings* L = FPickList->Items();
    if (L->Count() < 2) return;
    const String& Line = L->Strings(Value ? 0 : 1);
    if (TField* F = Field()) {
        TdaDataInspector* I = Inspector();
        if (!I) return;
        // The row of this item is asked: its check puts the dataset into edit state.
        const int Row = I->GetRowByItem(this);
        if (Row < 0 || Row != I->Row()) {
            if (!I->DataLink()->Edit()) return;
        } else if (!I->CanEditModify()) {
            return;
        }
        F->SetText(Line);
        SetEditText(F->Text());
    } else {
        SetEditText(Line);
    }
}

bool TdaInspectorItem::HasEditButton() const {
    return (!FPickList->DisplayAsCheckbox && FPickList->Items()->Count() > 0) || static_cast<bool>(OnEditButtonClick);
}

void TdaInspectorItem::ItemChanged() {
    TdaDataInspector* I = Inspector();
    ASSERT(I);
    if (OnItemChanged) OnItemChanged(I, this, FEditText);
    I->DoItemChanged(this, FEditText);
}

// ---- Walks -------------------------------------------------------------------------------------

TdaInspectorItem* TdaInspectorItem::GetFirstChild(bool VisibleItemsOnly, bool ExpandedOnly) const {
    if (ExpandedOnly && !FExpanded) return nullptr;
    for (int I = 0; I < FItems->Count(); ++I)
        if (!VisibleItemsOnly || (*FItems)[I]->Visible()) return (*FItems)[I];
    return nullptr;
}

TdaInspectorItem* TdaInspectorItem::GetLastChild(bool VisibleItemsOnly, bool ExpandedOnly) const {
    if (ExpandedOnly && !FExpanded) return nullptr;
    for (int I = FItems->Count() - 1; I >= 0; --I)
        if (!VisibleItemsOnly || (*FItems)[I]->Visible()) return (*FItems)[I];
    return nullptr;
}

TdaInspectorItem* TdaInspectorItem::GetNextSibling(bool VisibleItemsOnly) const {
    TCollection* C = Collection();
    for (int I = Index() + 1; C && I < C->Count(); ++I) {
        auto* Item = static_cast<TdaInspectorItem*>(C->Items(I));
        if (!VisibleItemsOnly || Item->Visible()) return Item;
    }
    return nullptr;
}

TdaInspectorItem* TdaInspectorItem::GetPriorSibling(bool VisibleItemsOnly) const {
    TCollection* C = Collection();
    for (int I = Index() - 1; C && I >= 0; --I) {
        auto* Item = static_cast<TdaInspectorItem*>(C->Items(I));
        if (!VisibleItemsOnly || Item->Visible()) return Item;
    }
    return nullptr;
}

TdaInspectorItem* TdaInspectorItem::GetNext(bool VisibleItemsOnly, bool ExpandedOnly) const {
    if (auto* C = GetFirstChild(VisibleItemsOnly, ExpandedOnly)) return C;
    for (const TdaInspectorItem* I = this; I; I = I->FParentItem)
        if (auto* S = I->GetNextSibling(VisibleItemsOnly)) return S;
    return nullptr;
}

TdaInspectorItem* TdaInspectorItem::GetPrior(bool VisibleItemsOnly, bool ExpandedOnly) const {
    if (auto* S = GetPriorSibling(VisibleItemsOnly)) {
        if (auto* L = S->GetLastChild(VisibleItemsOnly, ExpandedOnly)) return L;
        return S;
    }
    return FParentItem;
}

bool TdaInspectorItem::HaveVisibleItem() const {
    return GetFirstChild(true, false) != nullptr;
}

// ---- Collection ----------------------------------------------------------------------------------

TdaInspectorCollection::TdaInspectorCollection(TComponent* AControl, TdaInspectorItem* AParentItem)
    : TCollection(TCollectionItemClass::Of<TdaInspectorItem>()), FControl(AControl), FParentItem(AParentItem) {}

namespace {

// The stream is lines of text: "item", then "<Property>=<value>" for each property that differs
// from its default (texts escaped), then the children between "items" and "end", then "end".
const char16_t* const StreamHeader = u"object TdaCollectionStreamComponent";

String Escape(const String& S) {
    String R;
    for (Char C : S) {
        if (C == u'\\') R += u"\\\\";
        else if (C == u'\n') R += u"\\n";
        else if (C == u'\r') R += u"\\r";
        else if (C == u'\t') R += u"\\t";
        else R += C;
    }
    return R;
}

String Unescape(const String& S) {
    String R;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == u'\\' && I + 1 < S.size()) {
            const Char N = S[++I];
            R += N == u'n' ? u'\n' : N == u'r' ? u'\r' : N == u't' ? u'\t' : N;
        } else {
            R += S[I];
        }
    }
    return R;
}

void WriteItems(TdaInspectorCollection* Items, int Depth, String& Out) {
    const String Pad(static_cast<std::size_t>(Depth) * 2, u' ');
    for (int I = 0; I < Items->Count(); ++I) {
        TdaInspectorItem* It = (*Items)[I];
        Out += Pad + u"item\n";
        auto Put = [&](const String& Name, const String& Value) { Out += Pad + u"  " + Name + u"=" + Value + u"\n"; };
        if (!It->DataField().empty()) Put(u"DataField", Escape(It->DataField()));
        if (!It->Caption().empty()) Put(u"Caption", Escape(It->Caption()));
        if (It->CellHeight()) Put(u"CellHeight", IntToStr(It->CellHeight()));
        if (!It->EditText().empty()) Put(u"EditText", Escape(It->EditText()));
        if (It->Alignment != taLeftJustify) Put(u"Alignment", IntToStr(It->Alignment));
        if (It->ReadOnly) Put(u"ReadOnly", u"1");
        if (!It->CustomControlAlwaysPaints) Put(u"CustomControlAlwaysPaints", u"0");
        if (It->CustomControlHighlight) Put(u"CustomControlHighlight", u"1");
        if (It->Expanded()) Put(u"Expanded", u"1");
        TdaInspectorPickList* P = It->PickList();
        for (int L = 0; L < P->Items()->Count(); ++L)
            Put(u"PickList.Items", Escape(P->Items()->Strings(L)));
        if (P->MapList) Put(u"PickList.MapList", u"1");
        if (P->Style != csDropDown) Put(u"PickList.Style", IntToStr(P->Style));
        if (!P->ShowMatchText) Put(u"PickList.ShowMatchText", u"0");
        if (P->AllowClearKey) Put(u"PickList.AllowClearKey", u"1");
        if (P->ButtonStyle != cbsDownArrow) Put(u"PickList.ButtonStyle", IntToStr(P->ButtonStyle));
        if (P->DisplayAsCheckbox) Put(u"PickList.DisplayAsCheckbox", u"1");
        if (P->ButtonWidth) Put(u"PickList.ButtonWidth", IntToStr(P->ButtonWidth));
        if (!It->Picture()->PictureMask().empty()) Put(u"Picture.PictureMask", Escape(It->Picture()->PictureMask()));
        if (It->Resizeable) Put(u"Resizeable", u"1");
        if (!It->Visible()) Put(u"Visible", u"0");
        if (It->Tag) Put(u"Tag", IntToStr(It->Tag));
        if (!It->TagString.empty()) Put(u"TagString", Escape(It->TagString));
        if (!It->TabStop) Put(u"TabStop", u"0");
        if (It->Options != TdaInspectorItemOptions{iioAutoDateTimePicker}) Put(u"Options", IntToStr(It->Options.ToInt()));
        Put(u"WordWrap", It->WordWrap ? u"1" : u"0");
        if (It->DisableDefaultEditor) Put(u"DisableDefaultEditor", u"1");
        if (!It->Enabled) Put(u"Enabled", u"0");
        if (It->Items()->Count() > 0) {
            Out += Pad + u"  items\n";
            WriteItems(It->Items(), Depth + 2, Out);
            Out += Pad + u"  end\n";
        }
        Out += Pad + u"end\n";
    }
}

// Reads the items up to the "end" that closes the enclosing level (or the end of the text).
void ReadStreamItems(TdaInspectorCollection* Items, const std::vector<String>& Lines, std::size_t& L) {
    while (L < Lines.size()) {
        const String Line = Trim(Lines[L++]);
        if (Line.empty()) continue;
        if (Line == u"end") return;
        if (Line != u"item") throw EReadError(u"Invalid inspector item stream: " + Line);
        TdaInspectorItem* It = Items->Add();
        while (L < Lines.size()) {
            const String P = Trim(Lines[L]);
            if (P == u"items") {
                ReadStreamItems(It->Items(), Lines, ++L);
                continue;
            }
            ++L;
            if (P.empty()) continue;
            if (P == u"end") break;
            const int Eq = Pos(u"=", P);
            if (Eq == 0) throw EReadError(u"Invalid inspector item stream: " + P);
            const String Name = Copy(P, 1, Eq - 1);
            const String V = Unescape(Copy(P, Eq + 1, static_cast<int>(P.size())));
            const bool B = V == u"1";
            TdaInspectorPickList* PL = It->PickList();
            if (Name == u"DataField") It->SetDataField(V);
            else if (Name == u"Caption") It->SetCaption(V);
            else if (Name == u"CellHeight") It->SetCellHeight(StrToInt(V));
            else if (Name == u"EditText") It->SetEditText(V);
            else if (Name == u"Alignment") It->Alignment = static_cast<TAlignment>(StrToInt(V));
            else if (Name == u"ReadOnly") It->ReadOnly = B;
            else if (Name == u"CustomControlAlwaysPaints") It->CustomControlAlwaysPaints = B;
            else if (Name == u"CustomControlHighlight") It->CustomControlHighlight = B;
            else if (Name == u"Expanded") It->SetExpanded(B);
            else if (Name == u"PickList.Items") PL->Items()->Add(V);
            else if (Name == u"PickList.MapList") PL->MapList = B;
            else if (Name == u"PickList.Style") PL->Style = static_cast<TComboBoxStyle>(StrToInt(V));
            else if (Name == u"PickList.ShowMatchText") PL->ShowMatchText = B;
            else if (Name == u"PickList.AllowClearKey") PL->AllowClearKey = B;
            else if (Name == u"PickList.ButtonStyle") PL->ButtonStyle = static_cast<TdaComboButtonStyle>(StrToInt(V));
            else if (Name == u"PickList.DisplayAsCheckbox") PL->DisplayAsCheckbox = B;
            else if (Name == u"PickList.ButtonWidth") PL->ButtonWidth = StrToInt(V);
            else if (Name == u"Picture.PictureMask") It->Picture()->SetPictureMask(V);
            else if (Name == u"Resizeable") It->Resizeable = B;
            else if (Name == u"Visible") It->SetVisible(B);
            else if (Name == u"Tag") It->Tag = StrToInt(V);
            else if (Name == u"TagString") It->TagString = V;
            else if (Name == u"TabStop") It->TabStop = B;
            else if (Name == u"Options") It->Options = TdaInspectorItemOptions::FromInt(StrToInt(V));
            else if (Name == u"WordWrap") It->WordWrap = B;
            else if (Name == u"DisableDefaultEditor") It->DisableDefaultEditor = B;
            else if (Name == u"Enabled") It->Enabled = B;
            // Unknown properties of a later version are skipped.
        }
    }
}

TdaDataInspector* InspectorOf(TComponent* C) {
    auto* I = dynamic_cast<TdaDataInspector*>(C);
    if (!I) throw EInvalidCast(u"Invalid class typecast");
    return I;
}

} // namespace

void TdaInspectorCollection::SaveToStream(TStream* Stream) {
    TdaDataInspector* I = InspectorOf(FControl);
    String Text = String(StreamHeader) + u"\n";
    WriteItems(I->Items(), 1, Text);
    Text += u"end\n";
    const AnsiString Bytes = StringToUtf8(Text);
    Stream->WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

void TdaInspectorCollection::LoadFromStream(TStream* Stream) {
    auto* I = dynamic_cast<TdaDataInspector*>(FControl);
    if (I) I->HideEditor();
    AnsiString Bytes(static_cast<std::size_t>(Stream->Size() - Stream->Position()), '\0');
    if (!Bytes.empty()) Stream->ReadBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
    std::vector<String> Lines;
    {
        const String Text = Utf8ToString(Bytes);
        std::size_t Start = 0;
        for (std::size_t P = 0; P <= Text.size(); ++P)
            if (P == Text.size() || Text[P] == u'\n') {
                Lines.push_back(Text.substr(Start, P - Start));
                Start = P + 1;
            }
    }
    if (Lines.empty() || Trim(Lines[0]) != StreamHeader) throw EReadError(u"Invalid inspector item stream");
    // Read into a stream component first: a damaged stream leaves the inspector's items alone.
    TdaCollectionStreamComponent Temp(nullptr);
    std::size_t L = 1;
    ReadStreamItems(Temp.Items(), Lines, L);
    // The text is read again straight into the items: assigning items copies only some of their
    // properties, and a stream must give back everything it holds.
    TdaInspectorCollection* Target = I ? I->Items() : this;
    if (I) I->BeginUpdate();
    TScopeExit Done([&] {
        if (I) I->EndUpdate(true);
    });
    Target->Clear();
    L = 1;
    ReadStreamItems(Target, Lines, L);
    if (I) I->ApplySettings();
}

void TdaInspectorCollection::SaveToFile(const String& FileName) {
    TMemoryStream Bytes;
    SaveToStream(&Bytes);
    Bytes.SaveToFile(FileName);
}

void TdaInspectorCollection::LoadFromFile(const String& FileName) {
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&F);
}

TdaCollectionStreamComponent::TdaCollectionStreamComponent(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TdaInspectorCollection>(this, nullptr)) {}

// ---- Lookups of the inspector ----------------------------------------------------------------------

namespace {
template <class F> TdaInspectorItem* FindItem(const TdaDataInspector* I, const String& Text, F Key) {
    const String U = AnsiUpperCase(Text);
    for (TdaInspectorItem* It = I->GetFirstChild(false); It; It = It->GetNext(false, false))
        if (AnsiUpperCase(Key(It)) == U) return It;
    return nullptr;
}
} // namespace

TdaInspectorItem* TdaDataInspector::GetItemByTagString(const String& Text) const {
    return FindItem(this, Text, [](TdaInspectorItem* It) { return It->TagString; });
}

TdaInspectorItem* TdaDataInspector::GetItemByCaption(const String& Text) const {
    return FindItem(this, Text, [](TdaInspectorItem* It) { return It->Caption(); });
}

TdaInspectorItem* TdaDataInspector::GetItemByFieldName(const String& Text) const {
    return FindItem(this, Text, [](TdaInspectorItem* It) { return It->DataField(); });
}

void TdaDataInspector::IterateItems(bool ExpandedOnly, void* UserData, const TdaInspectorItemCallback& Callback) const {
    bool Continue = true;
    std::function<void(TdaInspectorCollection*)> Walk = [&](TdaInspectorCollection* C) {
        for (int K = 0; K < C->Count() && Continue; ++K) {
            TdaInspectorItem* It = (*C)[K];
            Callback(It, UserData, Continue);
            if (!Continue) return;
            if (!ExpandedOnly || (It->Expanded() && It->Visible())) Walk(It->Items());
        }
    };
    Walk(FItems.get());
}

TdaInspectorItem* TdaDataInspector::GetFirstChild(bool VisibleItemsOnly) const {
    for (int K = 0; K < FItems->Count(); ++K)
        if (!VisibleItemsOnly || (*FItems)[K]->Visible()) return (*FItems)[K];
    return nullptr;
}

bool TdaDataInspector::HaveVisibleItem() const {
    return GetFirstChild(true) != nullptr;
}
