#include "settings/KitFormStorage.h"

#include "settings/KitAppIniStorage.h"
#include "settings/KitPropStorage.h"
#include "settings/UtilConvert.h"

#include "platform/base/DateTime.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>

namespace {

const String FormNameMacro = u"%FORM_NAME%";
const String FormVersionKey = u"FormVersion";
const String ActiveControlKey = u"ActiveControl";

template <class F> void ToApplication(TObject* Sender, F Action) {
    try {
        Action();
    } catch (...) {
        if (Application) Application->HandleException(Sender);
    }
}

} // namespace

// ---- TKitWinMinMaxInfo ------------------------------------------------------------------------

int& TKitWinMinMaxInfo::Member(int Index) {
    TMinMaxInfo& I = FMinMaxInfo;
    switch (Index) {
    case 0:
        return I.ptMaxPosition.X;
    case 1:
        return I.ptMaxPosition.Y;
    case 2:
        return I.ptMaxSize.Y;
    case 3:
        return I.ptMaxSize.X;
    case 4:
        return I.ptMaxTrackSize.Y;
    case 5:
        return I.ptMaxTrackSize.X;
    case 6:
        return I.ptMinTrackSize.Y;
    default:
        return I.ptMinTrackSize.X;
    }
}

int TKitWinMinMaxInfo::GetMinMaxInfo(int Index) const {
    return const_cast<TKitWinMinMaxInfo*>(this)->Member(Index);
}

void TKitWinMinMaxInfo::SetMinMaxInfo(int Index, int Value) {
    if (Member(Index) == Value) return;
    Member(Index) = Value;
    if (FOwner) FOwner->MinMaxInfoChanged();
}

bool TKitWinMinMaxInfo::DefaultMinMaxInfo() const {
    for (int I = 0; I < 8; ++I)
        if (GetMinMaxInfo(I) != 0) return false;
    return true;
}

void TKitWinMinMaxInfo::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TKitWinMinMaxInfo*>(Source)) {
        FMinMaxInfo = S->FMinMaxInfo;
        if (FOwner) FOwner->MinMaxInfoChanged();
        return;
    }
    TPersistent::Assign(Source);
}

void TKitWinMinMaxInfo::Published(TPublisher<TKitWinMinMaxInfo>& P) {
    using M = TKitWinMinMaxInfo;
    P.Property(u"MaxPosLeft", &M::MaxPosLeft, &M::SetMaxPosLeft).Default(0);
    P.Property(u"MaxPosTop", &M::MaxPosTop, &M::SetMaxPosTop).Default(0);
    P.Property(u"MaxSizeHeight", &M::MaxSizeHeight, &M::SetMaxSizeHeight).Default(0);
    P.Property(u"MaxSizeWidth", &M::MaxSizeWidth, &M::SetMaxSizeWidth).Default(0);
    P.Property(u"MaxTrackHeight", &M::MaxTrackHeight, &M::SetMaxTrackHeight).Default(0);
    P.Property(u"MaxTrackWidth", &M::MaxTrackWidth, &M::SetMaxTrackWidth).Default(0);
    P.Property(u"MinTrackHeight", &M::MinTrackHeight, &M::SetMinTrackHeight).Default(0);
    P.Property(u"MinTrackWidth", &M::MinTrackWidth, &M::SetMinTrackWidth).Default(0);
}

// ---- TKitFormPlacement ------------------------------------------------------------------------

TKitFormPlacement::TKitFormPlacement(TComponent* AOwner)
    : TKitComponent(AOwner), FWinMinMaxInfo(std::make_unique<TKitWinMinMaxInfo>(this)),
      FWinHook(new TKitWindowHook(this)) {
    if (dynamic_cast<TCustomForm*>(AOwner)) FOptions = {fpState, fpSize, fpLocation};
    FWinHook->SetAfterMessage(
        [this](TObject* Sender, TMessage& Msg, bool& Handled) { PlacementMessage(Sender, Msg, Handled); });
}

TKitFormPlacement::~TKitFormPlacement() {
    if (!Designing()) {
        FWinHook->SetControl(nullptr);
        UnhookFormEvents();
    }
}

void TKitFormPlacement::SetAppStorage(TKitCustomAppStorage* Value) {
    SwapComponentReference(this, Value, FAppStorage);
}

void TKitFormPlacement::Notification(TComponent* AComponent, TOperation Operation) {
    TKitComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAppStorage) FAppStorage = nullptr;
}

void TKitFormPlacement::SetAppStoragePath(const String& Value) {
    String Path = Value;
    if (!Path.empty() && Path.back() != u'\\') Path += u'\\';
    FAppStoragePath = Path;
    if (!Designing() && !Loading()) ExpandFormNameMacro();
}

void TKitFormPlacement::ExpandFormNameMacro() {
    TCustomForm* F = Form();
    if (!F) return;
    const int P = Pos(UpperCase(FormNameMacro), UpperCase(FAppStoragePath));
    if (P == 0) return;
    FAppStoragePath = Copy(FAppStoragePath, 1, P - 1) + F->Name() +
                      Copy(FAppStoragePath, P + static_cast<int>(FormNameMacro.size()),
                           static_cast<int>(FAppStoragePath.size()));
}

void TKitFormPlacement::Loaded() {
    const bool WasLoading = Loading();
    TKitComponent::Loaded();
    if (Designing()) return;
    ExpandFormNameMacro();
    if (WasLoading && Form()) {
        HookFormEvents();
        UpdateWindowHook();
    }
}

void TKitFormPlacement::HookFormEvents() {
    TCustomForm* F = Form();
    if (!F || FFormEventsHooked) return;
    FSaveFormShow = F->OnShow;
    FSaveFormCloseQuery = F->OnCloseQuery;
    FSaveFormDestroy = F->OnDestroy;
    F->OnShow = [this](TObject* Sender) { FormShow(Sender); };
    F->OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    F->OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    FFormEventsHooked = true;
    FDefMaximize = F->BorderIcons().Contains(biMaximize);
    if (FPreventResize) UpdatePreventResize();
}

void TKitFormPlacement::UnhookFormEvents() {
    TCustomForm* F = Form();
    if (!F || !FFormEventsHooked) return;
    F->OnShow = FSaveFormShow;
    F->OnCloseQuery = FSaveFormCloseQuery;
    F->OnDestroy = FSaveFormDestroy;
    FFormEventsHooked = false;
}

void TKitFormPlacement::FormShow(TObject* Sender) {
    if (IsActive() && !FRestored) ToApplication(this, [this] { RestoreFormPlacement(); });
    if (FSaveFormShow) FSaveFormShow(Sender);
}

void TKitFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
    if (FSaveFormCloseQuery) FSaveFormCloseQuery(Sender, CanClose);
    if (CanClose && IsActive() && Form() && Form()->HandleAllocated())
        ToApplication(this, [this] { SaveFormPlacement(); });
}

void TKitFormPlacement::FormDestroy(TObject* Sender) {
    if (IsActive() && !FSaved) {
        TFlagScope Destroying(FDestroying);
        ToApplication(this, [this] { SaveFormPlacement(); });
    }
    if (FSaveFormDestroy) FSaveFormDestroy(Sender);
}

String TKitFormPlacement::IdentPath(const String& Ident, bool Reading) {
    return TKitCustomAppStorage::ConcatPaths(
        {FAppStoragePath, FAppStorage->TranslatePropertyName(this, Ident, Reading)});
}

String TKitFormPlacement::ReadString(const String& Ident, const String& Default) {
    if (!FAppStorage || Ident.empty()) return Default;
    return FAppStorage->ReadString(IdentPath(Ident, true), Default);
}

void TKitFormPlacement::WriteString(const String& Ident, const String& Value) {
    if (FAppStorage && !Ident.empty()) FAppStorage->WriteString(IdentPath(Ident, false), Value);
}

bool TKitFormPlacement::ReadBoolean(const String& Ident, bool Default) {
    if (!FAppStorage || Ident.empty()) return Default;
    return FAppStorage->ReadBoolean(IdentPath(Ident, true), Default);
}

void TKitFormPlacement::WriteBoolean(const String& Ident, bool Value) {
    if (FAppStorage && !Ident.empty()) FAppStorage->WriteBoolean(IdentPath(Ident, false), Value);
}

long double TKitFormPlacement::ReadFloat(const String& Ident, long double Default) {
    if (!FAppStorage || Ident.empty()) return Default;
    return FAppStorage->ReadFloat(IdentPath(Ident, true), Default);
}

void TKitFormPlacement::WriteFloat(const String& Ident, long double Value) {
    if (FAppStorage && !Ident.empty()) FAppStorage->WriteFloat(IdentPath(Ident, false), Value);
}

int TKitFormPlacement::ReadInteger(const String& Ident, int Default) {
    if (!FAppStorage || Ident.empty()) return Default;
    return FAppStorage->ReadInteger(IdentPath(Ident, true), Default);
}

void TKitFormPlacement::WriteInteger(const String& Ident, int Value) {
    if (FAppStorage && !Ident.empty()) FAppStorage->WriteInteger(IdentPath(Ident, false), Value);
}

TDateTime TKitFormPlacement::ReadDateTime(const String& Ident, TDateTime Default) {
    if (!FAppStorage || Ident.empty()) return Default;
    return FAppStorage->ReadDateTime(IdentPath(Ident, true), Default);
}

void TKitFormPlacement::WriteDateTime(const String& Ident, TDateTime Value) {
    if (FAppStorage && !Ident.empty()) FAppStorage->WriteDateTime(IdentPath(Ident, false), Value);
}

void TKitFormPlacement::EraseSections() {
    if (FAppStorage) FAppStorage->DeleteSubTree(FAppStoragePath);
}

void TKitFormPlacement::FireSavePlacement() {
    if (OnSavePlacement) OnSavePlacement(this);
}

void TKitFormPlacement::FireRestorePlacement() {
    if (OnRestorePlacement) OnRestorePlacement(this);
}

void TKitFormPlacement::SaveFormPlacement() {
    if (!FAppStorage) return;
    if (auto* F = dynamic_cast<TKitCustomAppMemoryFileStorage*>(FAppStorage); F && F->FileReadOnly()) {
        // Said once: the destroy handler does not try again.
        FSaved = true;
        throw EKitAppStorageError(u"The settings of " + (Owner() ? Owner()->Name() : String()) +
                                  u" cannot be saved: the file \"" + F->FullFileName() + u"\" is read-only.");
    }
    ExpandFormNameMacro();
    if (BeforeSavePlacement) BeforeSavePlacement(this);
    if (FVersionCheck != fpvcNocheck) WriteInteger(FormVersionKey, FVersion);
    FireSavePlacement();
    WritePlacement();
    if (AfterSavePlacement) AfterSavePlacement(this);
    FSaved = true;
}

void TKitFormPlacement::RestoreFormPlacement() {
    if (FAppStorage) {
        ExpandFormNameMacro();
        FSaved = false;
        const int Stored = ReadInteger(FormVersionKey, 0);
        const bool Accepted = FVersionCheck == fpvcNocheck ||
                              (FVersionCheck == fpvcCheckGreaterEqual && Stored >= FVersion) ||
                              (FVersionCheck == fpvcCheckEqual && Stored == FVersion);
        if (Accepted) {
            if (BeforeRestorePlacement) BeforeRestorePlacement(this);
            ReadPlacement();
            FRestored = true;
            FireRestorePlacement();
            if (TCustomForm* F = Form(); F && FOptions.Contains(fpActiveControl)) {
                const String Name = FAppStorage->ReadString(
                    TKitCustomAppStorage::ConcatPaths({FAppStoragePath, ActiveControlKey}), String());
                // A name that matches no focusable windowed control is ignored.
                if (auto* C = dynamic_cast<TWinControl*>(Name.empty() ? nullptr : F->FindComponent(Name));
                    C && C->CanFocus())
                    F->SetActiveControl(C);
            }
            if (AfterRestorePlacement) AfterRestorePlacement(this);
        }
        FRestored = true;
    }
    AdjustMaximizedPosition();
}

void TKitFormPlacement::WritePlacement() {
    TCustomForm* F = Form();
    if (!F) return;
    if (FOptions != TPlacementOptions{fpActiveControl})
        WriteFormPlacementValues(F, FAppStorage, FAppStoragePath, FOptions);
    if (FOptions.Contains(fpActiveControl) && F->ActiveControl())
        FAppStorage->WriteString(TKitCustomAppStorage::ConcatPaths({FAppStoragePath, ActiveControlKey}),
                                 F->ActiveControl()->Name());
}

void TKitFormPlacement::ReadPlacement() {
    if (TCustomForm* F = Form()) ReadFormPlacementValues(F, FAppStorage, FAppStoragePath, FOptions);
}

void TKitFormPlacement::AdjustMaximizedPosition() {
    TCustomForm* F = Form();
    if (!F || !F->HandleAllocated() || Loading() || FPreventResize || !FWinMinMaxInfo->DefaultMinMaxInfo())
        return;
    TWindowPlacement Placement;
    GetWindowPlacement(F->WindowHandle(), &Placement);
    if (!IsWindowVisible(F->WindowHandle())) Placement.showCmd = SW_HIDE;
    using enum Forms::TFormBorderStyle;
    int CX = 0, CY = 0;
    switch (F->BorderStyle()) {
    case bsSingle:
    case bsToolWindow:
        CX = GetSystemMetrics(SM_CXBORDER);
        CY = GetSystemMetrics(SM_CYBORDER);
        break;
    case bsSizeable:
    case bsSizeToolWin:
        CX = GetSystemMetrics(SM_CXFRAME);
        CY = GetSystemMetrics(SM_CYFRAME);
        break;
    case bsDialog:
        CX = GetSystemMetrics(SM_CXDLGFRAME);
        CY = GetSystemMetrics(SM_CYDLGFRAME);
        break;
    default:
        break;
    }
    Placement.ptMaxPosition = {-CX, -CY};
    SetWindowPlacement(F->WindowHandle(), &Placement);
}

void TKitFormPlacement::MinMaxInfoChanged() {
    AdjustMaximizedPosition();
    if (!Loading()) UpdateWindowHook();
}

void TKitFormPlacement::UpdateWindowHook() {
    TCustomForm* F = Form();
    if (Designing() || !F) return;
    const bool Needed = FPreventResize || !FWinMinMaxInfo->DefaultMinMaxInfo();
    FWinHook->SetControl(Needed ? F : nullptr);
    // The window asks for its limits when it is sized; tell it now that they changed.
    F->UpdateTrackingSize();
}

void TKitFormPlacement::SetPreventResize(bool Value) {
    if (!Form() || FPreventResize == Value) return;
    FPreventResize = Value;
    AdjustMaximizedPosition();
    UpdatePreventResize();
}

void TKitFormPlacement::UpdatePreventResize() {
    TCustomForm* F = Form();
    if (Designing() || !F) return;
    if (FPreventResize) FDefMaximize = F->BorderIcons().Contains(biMaximize);
    {
        TValueScope Inactive(FActive, false);
        TBorderIcons Icons = F->BorderIcons();
        if (FPreventResize || !FDefMaximize || F->BorderStyle() == Forms::bsDialog)
            Icons.Exclude(biMaximize);
        else
            Icons.Include(biMaximize);
        F->SetBorderIcons(Icons);
    }
    if (!Loading()) UpdateWindowHook();
}

void TKitFormPlacement::PlacementMessage(TObject*, TMessage& Msg, bool&) {
    TCustomForm* F = Form();
    if (FPreventResize && F) {
        switch (Msg.Msg) {
        case WM_GETMINMAXINFO:
            if (F->HandleAllocated() && IsWindowVisible(F->WindowHandle())) {
                auto* Info = reinterpret_cast<TMinMaxInfo*>(Msg.LParam);
                Info->ptMinTrackSize = {F->Width(), F->Height()};
                Info->ptMaxTrackSize = {F->Width(), F->Height()};
                Msg.Result = 1;
            }
            break;
        case WM_NCHITTEST:
            if (Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
            break;
        case WM_INITMENUPOPUP:
            // The windows here have no system menu of their own: the maximise button is gone
            // and the sizes are pinned, which is what greying Size and Maximize stands for.
            if (HIWORD(static_cast<std::uintptr_t>(Msg.LParam)) != 0) Msg.Result = 1;
            break;
        default:
            break;
        }
        return;
    }
    if (Msg.Msg != WM_GETMINMAXINFO) return;
    auto* Info = reinterpret_cast<TMinMaxInfo*>(Msg.LParam);
    const TKitWinMinMaxInfo& M = *FWinMinMaxInfo;
    if (!M.DefaultMinMaxInfo()) {
        auto Take = [](int Value, int& Target) {
            if (Value != 0) Target = Value;
        };
        Take(M.MinTrackWidth(), Info->ptMinTrackSize.X);
        Take(M.MinTrackHeight(), Info->ptMinTrackSize.Y);
        Take(M.MaxTrackWidth(), Info->ptMaxTrackSize.X);
        Take(M.MaxTrackHeight(), Info->ptMaxTrackSize.Y);
        Take(M.MaxSizeWidth(), Info->ptMaxSize.X);
        Take(M.MaxSizeHeight(), Info->ptMaxSize.Y);
        Take(M.MaxPosLeft(), Info->ptMaxPosition.X);
        Take(M.MaxPosTop(), Info->ptMaxPosition.Y);
    } else {
        Info->ptMaxPosition = {0, 0};
    }
    Msg.Result = 1;
}

void TKitFormPlacement::Published(TPublisher<TKitFormPlacement>& P) {
    using C = TKitFormPlacement;
    P.Property(u"Active", &C::Active, &C::SetActive).Default(true);
    P.Property(u"AppStoragePath", &C::AppStoragePath, &C::SetAppStoragePath);
    P.Property(u"Options", &C::Options, &C::SetOptions);
    P.Property(u"PreventResize", &C::PreventResize, &C::SetPreventResize).Default(false);
    P.Property(u"Version", &C::Version, &C::SetVersion).Default(0);
    P.Property(u"VersionCheck", &C::VersionCheck, &C::SetVersionCheck).Default(fpvcCheckGreaterEqual);
}

// ---- Stored values ----------------------------------------------------------------------------

String StoredValueText(const TKitStoredValueData& Value) {
    return std::visit(
        [](const auto& V) -> String {
            using T = std::decay_t<decltype(V)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return String();
            else if constexpr (std::is_same_v<T, Int64>)
                return IntToStr(V);
            else if constexpr (std::is_same_v<T, double>)
                return FloatToStr(V);
            else if constexpr (std::is_same_v<T, TKitDateValue>)
                return DateTimeToStr(V.Value);
            else if constexpr (std::is_same_v<T, bool>)
                return V ? u"True" : u"False";
            else
                return V;
        },
        Value);
}

TKitStoredValue::TKitStoredValue(TCollection* ACollection) : TCollectionItem(ACollection) {}

TKitStoredValues* TKitStoredValue::Values() const {
    return dynamic_cast<TKitStoredValues*>(Collection());
}

void TKitStoredValue::SetName(const String& Value) {
    if (Value == FName) return;
    if (TKitStoredValues* V = Values()) {
        const int I = V->IndexOf(Value);
        if (I >= 0 && V->Items(I) != this) throw EKitException(u"String list does not allow duplicates");
    }
    FName = Value;
}

void TKitStoredValue::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TKitStoredValue*>(Source)) {
        FValue = S->FValue;
        SetName(S->FName);
        FKeyString = S->FKeyString;
        return;
    }
    TCollectionItem::Assign(Source);
}

String TKitStoredValue::ItemPath() const {
    TKitStoredValues* V = Values();
    TKitFormPlacement* Storage = V ? V->Storage() : nullptr;
    if (!Storage || !Storage->AppStorage()) return String();
    return TKitCustomAppStorage::ConcatPaths({V->Path(), FName});
}

void TKitStoredValue::Save() {
    TKitStoredValues* V = Values();
    TKitFormPlacement* S = V ? V->Storage() : nullptr;
    if (!S) return;
    const String Path = ItemPath();
    TKitStoredValueData Data = FValue;
    if (OnSave) OnSave(this, Data);
    if (!FKeyString.empty()) {
        S->WriteString(Path, XorToHex(FKeyString, StoredValueText(Data)));
        return;
    }
    std::visit(
        [&](const auto& X) {
            using T = std::decay_t<decltype(X)>;
            if constexpr (std::is_same_v<T, Int64>)
                S->WriteInteger(Path, static_cast<int>(X));
            else if constexpr (std::is_same_v<T, double>)
                S->WriteFloat(Path, X);
            else if constexpr (std::is_same_v<T, TKitDateValue>)
                S->WriteDateTime(Path, X.Value);
            else if constexpr (std::is_same_v<T, bool>)
                S->WriteBoolean(Path, X);
            else
                S->WriteString(Path, StoredValueText(Data));
        },
        Data);
}

void TKitStoredValue::Restore() {
    TKitStoredValues* V = Values();
    TKitFormPlacement* S = V ? V->Storage() : nullptr;
    if (!S) return;
    const String Path = ItemPath();
    TKitStoredValueData Data;
    if (!FKeyString.empty()) {
        const String Default = XorToHex(FKeyString, StoredValueText(FValue));
        Data = XorFromHex(FKeyString, S->ReadString(Path, Default));
    } else {
        Data = std::visit(
            [&](const auto& X) -> TKitStoredValueData {
                using T = std::decay_t<decltype(X)>;
                if constexpr (std::is_same_v<T, Int64>)
                    return Int64(S->ReadInteger(Path, static_cast<int>(X)));
                else if constexpr (std::is_same_v<T, double>)
                    return static_cast<double>(S->ReadFloat(Path, X));
                else if constexpr (std::is_same_v<T, TKitDateValue>)
                    return TKitDateValue{S->ReadDateTime(Path, X.Value)};
                else if constexpr (std::is_same_v<T, bool>)
                    return S->ReadBoolean(Path, X);
                else
                    return S->ReadString(Path, StoredValueText(FValue));
            },
            FValue);
    }
    if (OnRestore) OnRestore(this, Data);
    FValue = Data;
}

TKitStoredValues::TKitStoredValues(TPersistent* AOwner)
    : TOwnedCollection(AOwner, TCollectionItemClass::Of<TKitStoredValue>()) {}

int TKitStoredValues::IndexOf(const String& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (AnsiSameText(Items(I)->Name(), Name)) return I;
    return -1;
}

void TKitStoredValues::SaveValues() {
    for (int I = 0; I < Count(); ++I)
        Items(I)->Save();
}

void TKitStoredValues::RestoreValues() {
    for (int I = 0; I < Count(); ++I)
        Items(I)->Restore();
}

// ---- TKitFormStorage --------------------------------------------------------------------------

void TKitFormStorageStringList::Resolve() {
    if (FFormStorage && !FFormStorage->ComponentState().Contains(csLoading))
        SyncStoredList(FFormStorage->Owner(), this, true);
}

void TKitFormStorageStringList::Assign(TPersistent* Source) {
    TStringList::Assign(Source);
    Resolve();
}

void TKitFormStorageStringList::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    TStringList::LoadFromStream(Stream, Encoding);
    Resolve();
}

TKitFormStorage::TKitFormStorage(TComponent* AOwner)
    : TKitFormPlacement(AOwner), FStoredProps(std::make_unique<TKitFormStorageStringList>(this)),
      FStoredValues(std::make_unique<TKitStoredValues>(this)) {
    FStoredValues->SetStorage(this);
}

TKitFormStorage::~TKitFormStorage() = default;

void TKitFormStorage::SetStoredProps(TStrings* Value) {
    FStoredProps->Assign(Value);
    SetNotification();
}

void TKitFormStorage::SetNotification() {
    for (int I = 0; I < FStoredProps->Count(); ++I)
        if (auto* C = dynamic_cast<TComponent*>(FStoredProps->Objects(I))) C->FreeNotification(this);
}

void TKitFormStorage::Loaded() {
    TKitFormPlacement::Loaded();
    SyncStoredList(Owner(), FStoredProps.get(), true);
    SetNotification();
}

void TKitFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
    TKitFormPlacement::Notification(AComponent, Operation);
    if (Operation != opRemove || ComponentState().Contains(csDestroying) || !FStoredProps) return;
    for (int I = FStoredProps->Count() - 1; I >= 0; --I)
        if (FStoredProps->Objects(I) == AComponent) FStoredProps->Delete(I);
}

void TKitFormStorage::RunPropertyPass(bool Reading) {
    TKitPropertyStorage Worker;
    Worker.SetAppStorage(AppStorage());
    Worker.SetAppStoragePath(
        AppStorage() ? TKitCustomAppStorage::ConcatPaths({AppStoragePath(), FStoredPropsPath}) : String());
    if (Reading)
        Worker.LoadObjectsProps(Owner(), FStoredProps.get());
    else
        Worker.StoreObjectsProps(Owner(), FStoredProps.get());
}

void TKitFormStorage::WriteStoredProps() {
    RunPropertyPass(false);
}

void TKitFormStorage::ReadStoredProps() {
    try {
        RunPropertyPass(true);
    } catch (...) {
        // The form still opens with its designed values.
    }
}

void TKitFormStorage::WritePlacement() {
    // Never write before the stored content has been read.
    if (!FRestored) return;
    TKitFormPlacement::WritePlacement();
    if (auto* H = dynamic_cast<IAppStorageHandler*>(Owner()))
        H->WriteToStorage(AppStorage(), AppStoragePath());
    WriteStoredProps();
    FStoredValues->SaveValues();
}

void TKitFormStorage::ReadPlacement() {
    TKitFormPlacement::ReadPlacement();
    FRestored = true;
    if (auto* H = dynamic_cast<IAppStorageHandler*>(Owner()))
        H->ReadFromStorage(AppStorage(), AppStoragePath());
    ReadStoredProps();
    FStoredValues->RestoreValues();
}

void TKitFormStorage::Published(TPublisher<TKitFormStorage>& P) {
    using C = TKitFormStorage;
    P.Property(u"StoredPropsPath", &C::StoredPropsPath, &C::SetStoredPropsPath);
    P.Property(u"StoredValuesPath", &C::StoredValuesPath, &C::SetStoredValuesPath);
}
