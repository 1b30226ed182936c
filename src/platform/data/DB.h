#pragma once
// Data access: datasets with a cursor over records, their fields, data sources and the links
// that data-aware controls hold. TDataSet does the cursor, buffers, editing, ordering, filters
// and searching; a concrete dataset only stores records (see the Internal... calls).

#include "platform/base/Component.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/Variant.h"

#include <functional>
#include <memory>
#include <vector>

DECLARE_EXCEPTION(EDatabaseError, Exception)

// The ordinals are kept: stored layouts and callers compare them.
enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };
enum TFieldKind { fkData, fkCalculated, fkLookup };
enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode
};
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;
enum TIndexOption { ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8 };
using TIndexOptions = int;
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

class TDataSet;
class TDataSource;
class TField;

// A bookmark names one record of one dataset; empty is no bookmark.
struct TBookmark {
    const TDataSet* Owner = nullptr;
    Int64 Id = -1;
    bool IsEmpty() const { return Owner == nullptr; }
    bool operator==(const TBookmark&) const = default;
};

class TFieldDef {
public:
    TFieldDef(const String& AName, TFieldType ADataType, int ASize = 0, bool ARequired = false)
        : Name(AName), DataType(ADataType), Size(ASize), Required(ARequired) {}
    String Name;
    TFieldType DataType;
    int Size;
    bool Required;
};

class TFieldDefs {
public:
    void Add(const String& Name, TFieldType DataType, int Size = 0, bool Required = false);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    const TFieldDef& operator[](int Index) const;
    // -1 when absent; names compare without regard to case.
    int IndexOf(const String& Name) const;

private:
    std::vector<TFieldDef> FItems;
};

class TIndexDef {
public:
    String Name;
    String Fields; // names joined by ";"
    TIndexOptions Options = 0;
};

// A persistent object, so that the dataset can publish it and callers reach it by name.
class TIndexDefs : public TPersistent {
    DECLARE_CLASS(TIndexDefs, TPersistent)
public:
    void Add(const String& Name, const String& Fields, TIndexOptions Options);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    const TIndexDef& operator[](int Index) const;
    // Null when absent.
    const TIndexDef* Find(const String& Name) const;

private:
    std::vector<TIndexDef> FItems;
};

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const String& Text)>;

class TField : public TComponent {
    DECLARE_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    // Adds the field to the dataset's fields (or takes it out with null); the dataset is closed.
    void SetDataSet(TDataSet* Value);

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value) { FFieldName = Value; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value) { FFieldKind = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    // 1-based position among the dataset's data fields; 0 for calculated and lookup fields.
    int FieldNo() const { return FFieldNo; }

    // Position in the dataset's Fields; writing it moves the field there.
    int Index() const;
    void SetIndex(int Value);

    String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const String& Value) { FDisplayLabel = Value; }
    String DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;
    void SetDisplayWidth(int Value) { FDisplayWidth = Value; }
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; }
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value) { FEditMask = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Calculated() const { return FFieldKind == fkCalculated; }
    bool Lookup() const { return FFieldKind == fkLookup; }
    // True for the kinds a blob stream serves.
    virtual bool IsBlob() const { return false; }

    // Lookup fields: the value of LookupResultField of the LookupDataSet record whose
    // LookupKeyFields equal this record's KeyFields (names joined by ";").
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value) { FLookupDataSet = Value; }
    String KeyFields, LookupKeyFields, LookupResultField;

    // The value of the active record (a null Variant when it has none).
    Variant Value() const;
    void SetValue(const Variant& V);
    bool IsNull() const { return Value().IsClear(); }
    void Clear() { SetValue(Variant::Null()); }
    String AsString() const { return GetText(false); }
    void SetAsString(const String& V) { SetText(V); }
    int AsInteger() const;
    void SetAsInteger(int V) { SetValue(V); }
    Int64 AsLargeInt() const;
    double AsFloat() const;
    void SetAsFloat(double V) { SetValue(V); }
    bool AsBoolean() const;
    void SetAsBoolean(bool V) { SetValue(V); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime V) { SetValue(Variant::FromDateTime(V)); }

    // Text is the edit form, DisplayText the shown form (DisplayFormat applied); OnGetText can
    // change both, OnSetText takes over writing.
    String Text() const { return GetText(false); }
    void SetText(const String& Value);
    String DisplayText() const { return GetText(true); }

    TFieldNotifyEvent OnChange, OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // Raises EDatabaseError "Field '%s' must have a value" when Required and null.
    void CheckRequired() const;
    // Whether the character can be part of the field's text: whole numbers take digits and
    // signs, other numbers the decimal separator and an exponent too; other kinds take all.
    bool IsValidChar(Char C) const;

protected:
    TField(TComponent* AOwner, TFieldType AType);
    // Turns a value into the field's own kind; raises EDatabaseError for one it cannot hold.
    virtual Variant Coerce(const Variant& V) const;
    virtual String FormatText(const Variant& V, bool Display) const;
    virtual Variant ParseText(const String& Text) const;
    virtual int DefaultWidth() const { return FSize > 0 ? FSize : 10; }
    [[noreturn]] void BadValue(const String& Text) const;

private:
    friend class TDataSet;
    friend class TFields;
    String GetText(bool Display) const;
    TDataSet* FDataSet = nullptr;
    String FFieldName, FDisplayLabel, FDisplayFormat, FEditMask;
    TFieldType FDataType;
    TFieldKind FFieldKind = fkData;
    int FSize = 0, FFieldNo = 0, FDisplayWidth = -1, FBufferIndex = -1;
    bool FVisible = true, FReadOnly = false, FRequired = false;
    TDataSet* FLookupDataSet = nullptr;
};

#define MORVANE_FIELD_CLASS(Name, Parent, Type)                                                              \
    class Name : public Parent {                                                                             \
        DECLARE_CLASS(Name, Parent)                                                                          \
    public:                                                                                                  \
        explicit Name(TComponent* AOwner) : Parent(AOwner, Type) {}                                          \
                                                                                                             \
    protected:                                                                                               \
        Name(TComponent* AOwner, TFieldType AType) : Parent(AOwner, AType) {}                                \
        Variant Coerce(const Variant& V) const override;                                                     \
        String FormatText(const Variant& V, bool Display) const override;                                    \
        Variant ParseText(const String& Text) const override;                                                \
        int DefaultWidth() const override;                                                                   \
    };

MORVANE_FIELD_CLASS(TStringField, TField, ftString)
MORVANE_FIELD_CLASS(TIntegerField, TField, ftInteger)
MORVANE_FIELD_CLASS(TLargeintField, TField, ftLargeint)
MORVANE_FIELD_CLASS(TFloatField, TField, ftFloat)
MORVANE_FIELD_CLASS(TBooleanField, TField, ftBoolean)
MORVANE_FIELD_CLASS(TDateTimeField, TField, ftDateTime)
#undef MORVANE_FIELD_CLASS

class TWideStringField : public TStringField {
    DECLARE_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner) : TStringField(AOwner, ftWideString) {}
};
class TSmallintField : public TIntegerField {
    DECLARE_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, ftSmallint) {}
};
class TAutoIncField : public TIntegerField {
    DECLARE_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc) {}
};
class TCurrencyField : public TFloatField {
    DECLARE_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency) {}
};
// Fixed point with four decimals, held as a float rounded to them.
class TBCDField : public TFloatField {
    DECLARE_CLASS(TBCDField, TFloatField)
public:
    explicit TBCDField(TComponent* AOwner) : TFloatField(AOwner, ftBCD) {}

protected:
    Variant Coerce(const Variant& V) const override;
};
class TDateField : public TDateTimeField {
    DECLARE_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
};
class TTimeField : public TDateTimeField {
    DECLARE_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
};

// Bytes; memo kinds hold text (wide memo: UTF-16 code units as bytes in UTF-8 text form).
class TBlobField : public TField {
    DECLARE_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner) : TField(AOwner, ftBlob) {}
    bool IsBlob() const override { return true; }
    TFieldType BlobType() const { return DataType(); }
    TBytes AsBytes() const;
    void SetAsBytes(const TBytes& Value);
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream) const;

protected:
    TBlobField(TComponent* AOwner, TFieldType AType) : TField(AOwner, AType) {}
    Variant Coerce(const Variant& V) const override;
    String FormatText(const Variant& V, bool Display) const override;
};
class TMemoField : public TBlobField {
    DECLARE_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo) {}

protected:
    TMemoField(TComponent* AOwner, TFieldType AType) : TBlobField(AOwner, AType) {}
    String FormatText(const Variant& V, bool Display) const override;
};
class TWideMemoField : public TMemoField {
    DECLARE_CLASS(TWideMemoField, TMemoField)
public:
    explicit TWideMemoField(TComponent* AOwner) : TMemoField(AOwner, ftWideMemo) {}
};
class TGraphicField : public TBlobField {
    DECLARE_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}
};

// A new field of the class that serves DataType (TStringField for an unknown one).
TField* CreateFieldOfType(TComponent* AOwner, TFieldType DataType);

class TFields {
public:
    int Count() const { return int(FList.size()); }
    TField* operator[](int Index) const;
    TField* Fields(int Index) const { return (*this)[Index]; }
    TField* FindField(const String& Name) const;
    TField* FieldByName(const String& Name) const;
    int IndexOf(const TField* Field) const;

private:
    friend class TDataSet;
    friend class TField;
    TDataSet* FDataSet = nullptr;
    std::vector<TField*> FList;
};

class TDataLink;
using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

class TDataSet : public TComponent {
    DECLARE_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    TDataSetState State() const { return FState; }
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Returns the distance actually moved; sets EOF/BOF when it hits an end.
    int MoveBy(int Distance);
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return RecordCount() == 0; }
    // 1-based position in the ordered, filtered records; -1 when there is no current record.
    int RecNo() const;
    void SetRecNo(int Value);
    int RecordCount() const;
    bool IsSequenced() const { return true; }

    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Posts a pending edit; raises when the dataset is closed.
    void CheckBrowseMode();
    void CheckActive() const;
    bool CanModify() const { return !FReadOnly; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Modified() const { return FModified; }

    void DisableControls() {
        if (FDisableCount++ == 0) FDisabledState = FState;
    }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    // Reloads the buffers from the store and tells the links.
    void Resync();

    TBookmark GetBookmark() const;
    TBookmark Bookmark() const { return GetBookmark(); }
    // The bookmark of the buffered record a data link made active (see TActiveRecordScope);
    // the current record's outside such a scope. Empty for a row past the buffered records.
    TBookmark ActiveBookmark() const;
    // Raises EDatabaseError for a bookmark of another dataset or of a record that is gone.
    void GotoBookmark(const TBookmark& B);
    void SetBookmark(const TBookmark& B) { GotoBookmark(B); }
    void FreeBookmark(TBookmark& B) { B = TBookmark(); }
    bool BookmarkValid(const TBookmark& B) const;
    // Order of two bookmarks of this dataset in the current order: <0, 0, >0; empty ones first.
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;

    // KeyFields joined by ";", KeyValues one value or an array with one per field.
    bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    // The result fields' value(s) of the first record matching, without moving; null if none.
    Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields);

    // Filter text: comparisons (=, <>, <, >, <=, >=) of a field with a number or a quoted
    // text, joined by AND / OR, with NOT and parentheses. Bad text raises EDatabaseError.
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& Value);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);
    TFilterRecordEvent OnFilterRecord;
    void SetOnFilterRecord(TFilterRecordEvent Value);

    // A stream over the blob field's value; writing needs the edit or insert state and stores
    // the bytes when the stream goes.
    std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

    TFieldDefs& FieldDefs() { return FFieldDefs; }
    TIndexDefs& IndexDefs() { return FIndexDefs; }
    const String& IndexName() const { return FIndexName; }
    // Raises EDatabaseError for an index that is not in IndexDefs.
    void SetIndexName(const String& Value);
    const String& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const String& Value);

    TFields& Fields() { return FFields; }
    const TFields& Fields() const { return FFields; }
    int FieldCount() const { return FFields.Count(); }
    TField* FindField(const String& Name) const { return FFields.FindField(Name); }
    // Raises EDatabaseError "Field '%s' not found".
    TField* FieldByName(const String& Name) const { return FFields.FieldByName(Name); }
    // The fields named in Names (joined by ";"); raises for an unknown one.
    std::vector<TField*> GetFieldList(const String& Names) const;
    Variant FieldValues(const String& Name) const;

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforePost, AfterPost, BeforeEdit,
        AfterEdit, BeforeInsert, AfterInsert, BeforeDelete, AfterDelete, BeforeCancel, AfterCancel,
        BeforeScroll, AfterScroll, OnCalcFields, OnNewRecord;

    // For links: the buffered records around the current one.
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }

protected:
    // The store. Ids are stable for the life of a record and are its bookmark.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual std::vector<Int64> InternalIds() = 0; // in the store's natural order
    virtual void InternalRead(Int64 Id, std::vector<Variant>& Values) = 0;
    // BeforeId: the record the new one goes before in the natural order (-1: at the end).
    virtual Int64 InternalInsert(const std::vector<Variant>& Values, Int64 BeforeId) = 0;
    virtual void InternalUpdate(Int64 Id, const std::vector<Variant>& Values) = 0;
    virtual void InternalRemove(Int64 Id) = 0;
    virtual bool InternalExists(Int64 Id);
    // Fields made from FieldDefs when the dataset has none of its own data fields.
    void CreateFields();

private:
    friend class TField;
    friend class TDataLink;
    friend class TDataSource;

public:
    struct TFilterNode; // a parsed Filter text

private:
    struct TBuffer {
        Int64 Id = -1;
        std::vector<Variant> Values;
    };

    void OpenCursor();
    void FreeDefaultFields();
    void CloseCursor();
    void BuildView(Int64 KeepId);
    int ViewPosOf(Int64 Id) const;
    void LoadCurrent();
    void LoadBuffer(TBuffer& B, Int64 Id);
    void CalcFields(TBuffer& B);
    void SetCurrent(int Pos);
    void DataEvent(TDataEvent Event, TField* Field = nullptr);
    void SetState(TDataSetState Value);
    void CheckEditing(const TField* Field) const;
    const std::vector<Variant>& ActiveValues() const;
    Variant GetFieldValue(const TField* Field) const;
    void SetFieldValue(TField* Field, const Variant& V);
    void UpdateBufferCount();
    void SetActiveRecord(int Value);
    void FieldListChanged();
    bool MatchesFilter(const TBuffer& B);
    bool Matches(const TBuffer& B, const std::vector<TField*>& Fields, const std::vector<Variant>& Keys,
                 TLocateOptions Options) const;
    std::vector<std::pair<TField*, TIndexOptions>> OrderFields() const;
    void Notify(TDataSetNotifyEvent& Event) {
        if (Event) Event(this);
    }

    TDataSetState FState = dsInactive;
    TFieldDefs FFieldDefs;
    TIndexDefs FIndexDefs;
    TFields FFields;
    std::vector<TField*> FDefaultFields; // made by CreateFields, freed on close
    std::vector<Int64> FView;            // record ids in order, after the filter
    int FPos = -1;                       // current position in FView
    bool FBof = true, FEof = true, FReadOnly = false, FModified = false, FFiltered = false;
    TBuffer FCurrent, FEditBuffer, FOther;
    int FOtherPos = -1;
    String FFilter, FIndexName, FIndexFieldNames;
    std::shared_ptr<TFilterNode> FFilterTree;
    int FDisableCount = 0;
    bool FChangedWhileDisabled = false;
    std::vector<TDataSource*> FDataSources;
    int FBufferCount = 1, FActiveRecord = 0, FWindowFirst = 0; // window over FView
    int FScrollDistance = 0; // how far the window moved, for the links told of a scroll
    int FDataFieldCount = 0;
    bool FAppending = false;
    TBuffer* FCalcBuffer = nullptr;
    TDataSetState FDisabledState = dsInactive;

    static void Published(TPublisher<TDataSet>& P);
};

class TDataSource : public TComponent {
    DECLARE_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TDataSetState State() const { return FDataSet && FEnabled ? FDataSet->State() : dsInactive; }
    // Puts the dataset in the edit state when it is browsing and AutoEdit is on.
    void Edit();
    bool AutoEdit = true;
    TNotifyEvent OnStateChange, OnDataChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, TField* Field);
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    std::vector<TDataLink*> FLinks;
};

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const;
    bool Editing() const;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // The number of records the link shows; the dataset buffers the most any link asks for.
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    // The slot of the current record among the buffered ones; writing it makes the fields
    // read another buffered record until it is written back (see TActiveRecordScope).
    int ActiveRecord() const;
    void SetActiveRecord(int Value);
    // The records in the buffer window (at most BufferCount).
    int RecordCount() const;
    bool Edit();
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // Distance: how many rows the buffered window moved (0 when the current record moved
    // within it).
    virtual void DataSetScrolled(int) { DataSetChanged(); }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void EditingChanged() {}
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}
    virtual void FocusControl(TField**) {}

private:
    friend class TDataSource;
    friend class TDataSet;
    void DataEvent(TDataEvent Event, TField* Field);
    TDataSource* FDataSource = nullptr;
    int FBufferCount = 1;
    bool FReadOnly = false, FEditing = false, FUpdating = false, FActive = false;
};

// Reads another buffered record through a link and puts the link's active record back on
// every way out, an exception included.
class TActiveRecordScope {
public:
    TActiveRecordScope(TDataLink& Link, int Record) : FLink(Link), FOld(Link.ActiveRecord()) {
        FLink.SetActiveRecord(Record);
    }
    ~TActiveRecordScope() { FLink.SetActiveRecord(FOld); }
    TActiveRecordScope(const TActiveRecordScope&) = delete;
    TActiveRecordScope& operator=(const TActiveRecordScope&) = delete;

private:
    TDataLink& FLink;
    int FOld;
};

// A link to one field of the dataset, named by FieldName.
class TFieldDataLink : public TDataLink {
public:
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TField* Field() const { return FField; }
    bool CanModify() const;
    // The control changed the field's value: the next UpdateRecord hands it over through
    // OnUpdateData. Reset drops the change and shows the field's value again (OnDataChange).
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    void Reset() { RecordChanged(nullptr); }
    std::function<void()> OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void EditingChanged() override;
    void UpdateData() override;

private:
    void UpdateField();
    String FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
};

class TParam {
public:
    String Name;
    TFieldType DataType = ftUnknown;
    TParamType ParamType = ptInput;
    Variant Value;
    bool IsNull() const { return Value.IsClear(); }
    String AsString() const { return Value.AsString(); }
    void SetAsString(const String& V) {
        Value = V;
        DataType = ftString;
    }
    int AsInteger() const { return Value.AsInteger(); }
    void SetAsInteger(int V) {
        Value = V;
        DataType = ftInteger;
    }
    void Clear() { Value = Variant::Null(); }
};

class TParams : public TPersistent {
    DECLARE_CLASS(TParams, TPersistent)
public:
    // Copies another parameter list's names, types and values.
    void Assign(TPersistent* Source) override;
    TParam& CreateParam(TFieldType DataType, const String& Name, TParamType ParamType);
    int Count() const { return int(FItems.size()); }
    TParam& operator[](int Index);
    // Null when absent; names compare without regard to case.
    TParam* FindParam(const String& Name);
    // Raises EDatabaseError "Parameter '%s' not found".
    TParam& ParamByName(const String& Name);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TParam>> FItems;
};
