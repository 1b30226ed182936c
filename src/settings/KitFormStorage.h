#pragma once
// Form placement and form storage: non-visual components that a form owns. TKitFormPlacement
// takes over the form's show, close-query and destroy events (in Loaded, when the form is
// built), restores the form's window placement from a settings store on its first show and
// saves it on every accepted close. It can also limit the form's tracking size and block
// resizing, through a window hook on the form that is attached only while those are in use.
//
// TKitFormStorage adds a list of stored properties of the form's components
// ("chkConst.Checked", see KitPropStorage.h) and a collection of named free values. It never
// writes before it has read: a form that was never shown saves only its "FormVersion".
//
// Keys lie under AppStoragePath ("%FORM_NAME%" there becomes the form's name): the placement
// values of KitPlacement.h, "FormVersion", "ActiveControl", the stored properties and the
// stored values.

#include "settings/KitAppStorage.h"
#include "settings/KitPlacement.h"
#include "settings/KitWndHook.h"

#include <memory>
#include <variant>

DECLARE_ENUM(TKitFormPlacementVersionCheck, Byte, fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual)

class TKitFormPlacement;

// The eight tracking limits of a form, each 0 for the system's own.
class TKitWinMinMaxInfo : public TPersistent {
    DECLARE_CLASS(TKitWinMinMaxInfo, TPersistent)
public:
    explicit TKitWinMinMaxInfo(TKitFormPlacement* AOwner = nullptr) : FOwner(AOwner) {}
    // From another: the whole record, then one change notice.
    void Assign(TPersistent* Source) override;

    int MaxPosLeft() const { return GetMinMaxInfo(0); }
    void SetMaxPosLeft(int Value) { SetMinMaxInfo(0, Value); }
    int MaxPosTop() const { return GetMinMaxInfo(1); }
    void SetMaxPosTop(int Value) { SetMinMaxInfo(1, Value); }
    int MaxSizeHeight() const { return GetMinMaxInfo(2); }
    void SetMaxSizeHeight(int Value) { SetMinMaxInfo(2, Value); }
    int MaxSizeWidth() const { return GetMinMaxInfo(3); }
    void SetMaxSizeWidth(int Value) { SetMinMaxInfo(3, Value); }
    int MaxTrackHeight() const { return GetMinMaxInfo(4); }
    void SetMaxTrackHeight(int Value) { SetMinMaxInfo(4, Value); }
    int MaxTrackWidth() const { return GetMinMaxInfo(5); }
    void SetMaxTrackWidth(int Value) { SetMinMaxInfo(5, Value); }
    int MinTrackHeight() const { return GetMinMaxInfo(6); }
    void SetMinTrackHeight(int Value) { SetMinMaxInfo(6, Value); }
    int MinTrackWidth() const { return GetMinMaxInfo(7); }
    void SetMinTrackWidth(int Value) { SetMinMaxInfo(7, Value); }

    // All eight are 0.
    bool DefaultMinMaxInfo() const;
    const TMinMaxInfo& MinMaxInfo() const { return FMinMaxInfo; }

private:
    TKitFormPlacement* FOwner;
    TMinMaxInfo FMinMaxInfo{};

    int GetMinMaxInfo(int Index) const;
    void SetMinMaxInfo(int Index, int Value);
    int& Member(int Index);

    static void Published(TPublisher<TKitWinMinMaxInfo>& P);
};

class TKitFormPlacement : public TKitComponent {
    DECLARE_CLASS(TKitFormPlacement, TKitComponent)
public:
    explicit TKitFormPlacement(TComponent* AOwner);
    // Gives the form its own event handlers back and lets the window hook go.
    ~TKitFormPlacement() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    TKitCustomAppStorage* AppStorage() const { return FAppStorage; }
    void SetAppStorage(TKitCustomAppStorage* Value);
    const String& AppStoragePath() const { return FAppStoragePath; }
    // A backslash is appended to a non-empty value without one; "%FORM_NAME%" is expanded
    // unless loading.
    void SetAppStoragePath(const String& Value);
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions Value) { FOptions = Value; }
    int Version() const { return FVersion; }
    void SetVersion(int Value) { FVersion = Value; }
    TKitFormPlacementVersionCheck VersionCheck() const { return FVersionCheck; }
    void SetVersionCheck(TKitFormPlacementVersionCheck Value) { FVersionCheck = Value; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool Value);
    TKitWinMinMaxInfo* MinMaxInfo() const { return FWinMinMaxInfo.get(); }
    void SetMinMaxInfo(TKitWinMinMaxInfo* Value) { FWinMinMaxInfo->Assign(Value); }
    // Whether the window hook is attached to the form now.
    bool WindowHooked() const { return FWinHook->Control() != nullptr; }

    void SaveFormPlacement();
    void RestoreFormPlacement();
    // One value at AppStoragePath + Ident; without a store or Ident a read gives its default
    // and a write does nothing.
    String ReadString(const String& Ident, const String& Default = String());
    void WriteString(const String& Ident, const String& Value);
    bool ReadBoolean(const String& Ident, bool Default);
    void WriteBoolean(const String& Ident, bool Value);
    long double ReadFloat(const String& Ident, long double Default);
    void WriteFloat(const String& Ident, long double Value);
    int ReadInteger(const String& Ident, int Default);
    void WriteInteger(const String& Ident, int Value);
    TDateTime ReadDateTime(const String& Ident, TDateTime Default);
    void WriteDateTime(const String& Ident, TDateTime Value);
    // Deletes everything under AppStoragePath.
    void EraseSections();
    // Active with a store.
    bool IsActive() const { return FActive && FAppStorage; }

    // Runs when the limits change: the maximised position and the window hook follow.
    void MinMaxInfoChanged();

    TNotifyEvent BeforeSavePlacement;
    TNotifyEvent OnSavePlacement;
    TNotifyEvent AfterSavePlacement;
    TNotifyEvent BeforeRestorePlacement;
    TNotifyEvent OnRestorePlacement;
    TNotifyEvent AfterRestorePlacement;

    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void WritePlacement();
    virtual void ReadPlacement();
    virtual void FireSavePlacement();
    virtual void FireRestorePlacement();

    TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(Owner()); }
    bool Loading() const { return ComponentState().Contains(csLoading); }
    bool Designing() const { return ComponentState().Contains(csDesigning); }

    bool FSaved = false;
    bool FRestored = false;
    bool FDestroying = false;

private:
    bool FActive = true;
    TKitCustomAppStorage* FAppStorage = nullptr;
    String FAppStoragePath = u"%FORM_NAME%";
    TPlacementOptions FOptions;
    int FVersion = 0;
    TKitFormPlacementVersionCheck FVersionCheck = fpvcCheckGreaterEqual;
    bool FPreventResize = false;
    std::unique_ptr<TKitWinMinMaxInfo> FWinMinMaxInfo;
    bool FDefMaximize = false;
    TKitWindowHook* FWinHook;
    bool FFormEventsHooked = false;
    TNotifyEvent FSaveFormShow;
    TNotifyEvent FSaveFormDestroy;
    TCloseQueryEvent FSaveFormCloseQuery;

    void ExpandFormNameMacro();
    String IdentPath(const String& Ident, bool Reading);
    void HookFormEvents();
    void UnhookFormEvents();
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormDestroy(TObject* Sender);
    void AdjustMaximizedPosition();
    void UpdateWindowHook();
    void UpdatePreventResize();
    void PlacementMessage(TObject* Sender, TMessage& Msg, bool& Handled);

    static void Published(TPublisher<TKitFormPlacement>& P);
};

// A stored value: nothing, an integer, a float, a date-time, a boolean or a text.
struct TKitDateValue {
    TDateTime Value = 0;
    friend bool operator==(const TKitDateValue&, const TKitDateValue&) = default;
};
using TKitStoredValueData = std::variant<std::monostate, Int64, double, TKitDateValue, bool, String>;
using TKitStoredValueEvent = std::function<void(TObject* Sender, TKitStoredValueData& AValue)>;

class TKitStoredValues;

class TKitStoredValue : public TCollectionItem {
    DECLARE_CLASS(TKitStoredValue, TCollectionItem)
public:
    explicit TKitStoredValue(TCollection* ACollection);

    void Assign(TPersistent* Source) override;
    void Clear() { FValue = std::monostate(); }
    // Writes the value at the collection's path and Name (scrambled with a KeyString), by the
    // kind of the value.
    virtual void Save();
    // Reads it back, the current value serving as default and deciding the kind.
    virtual void Restore();

    const String& Name() const { return FName; }
    // EKitException "String list does not allow duplicates" for a name another value of the
    // collection has; the name stays.
    void SetName(const String& Value);
    const TKitStoredValueData& Value() const { return FValue; }
    void SetValue(const TKitStoredValueData& Value) { FValue = Value; }
    const String& KeyString() const { return FKeyString; }
    void SetKeyString(const String& Value) { FKeyString = Value; }

    TKitStoredValueEvent OnSave;
    TKitStoredValueEvent OnRestore;

protected:
    String GetDisplayName() const override {
        return FName.empty() ? TCollectionItem::GetDisplayName() : FName;
    }

private:
    String FName;
    TKitStoredValueData FValue;
    String FKeyString;

    TKitStoredValues* Values() const;
    String ItemPath() const;
};

// The text of a stored value ("" for nothing).
String StoredValueText(const TKitStoredValueData& Value);

class TKitStoredValues : public TOwnedCollection {
    DECLARE_CLASS(TKitStoredValues, TOwnedCollection)
public:
    explicit TKitStoredValues(TPersistent* AOwner);

    TKitStoredValue* Items(int Index) const {
        return static_cast<TKitStoredValue*>(TCollection::Items(Index));
    }
    TKitStoredValue* Add() { return static_cast<TKitStoredValue*>(TCollection::Add()); }
    // The first value of that name (locale case rules), else -1.
    int IndexOf(const String& Name) const;
    virtual void SaveValues();
    virtual void RestoreValues();

    TKitFormPlacement* Storage() const { return FStorage; }
    void SetStorage(TKitFormPlacement* Value) { FStorage = Value; }
    const String& Path() const { return FPath; }
    void SetPath(const String& Value) { FPath = Value; }

private:
    TKitFormPlacement* FStorage = nullptr;
    String FPath;
};

class TKitFormStorage;

// The stored property lines; assigning or loading resolves them against the form.
class TKitFormStorageStringList : public TStringList {
    DECLARE_CLASS(TKitFormStorageStringList, TStringList)
public:
    explicit TKitFormStorageStringList(TKitFormStorage* AFormStorage = nullptr)
        : FFormStorage(AFormStorage) {}
    void Assign(TPersistent* Source) override;
    void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr) override;

private:
    TKitFormStorage* FFormStorage;
    void Resolve();
};

class TKitFormStorage : public TKitFormPlacement {
    DECLARE_CLASS(TKitFormStorage, TKitFormPlacement)
public:
    explicit TKitFormStorage(TComponent* AOwner);
    ~TKitFormStorage() override;

    TStrings* StoredProps() const { return FStoredProps.get(); }
    // Takes the lines, then asks each listed component for a free notification.
    void SetStoredProps(TStrings* Value);
    TKitStoredValues* StoredValues() const { return FStoredValues.get(); }
    void SetStoredValues(TKitStoredValues* Value) { FStoredValues->Assign(Value); }
    const String& StoredPropsPath() const { return FStoredPropsPath; }
    void SetStoredPropsPath(const String& Value) { FStoredPropsPath = Value; }
    const String& StoredValuesPath() const { return FStoredValues->Path(); }
    void SetStoredValuesPath(const String& Value) { FStoredValues->SetPath(Value); }

    // Every listed component tells this storage when it goes.
    void SetNotification();
    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WritePlacement() override;
    void ReadPlacement() override;
    virtual void WriteStoredProps();
    virtual void ReadStoredProps();

private:
    friend class TKitFormStorageStringList;
    std::unique_ptr<TKitFormStorageStringList> FStoredProps;
    std::unique_ptr<TKitStoredValues> FStoredValues;
    String FStoredPropsPath;

    void RunPropertyPass(bool Reading);

    static void Published(TPublisher<TKitFormStorage>& P);
};
