#include "dataaware/foundation/daByName.h"

#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Lists.h"
#include "platform/data/DB.h"

namespace {

const TPropInfo* Prop(const TObject* Instance, const String& Name) {
    return Instance ? GetPropInfo(Instance, Name) : nullptr;
}

TTypeKind KindOf(const TPropInfo* P) { return P->PropType->Kind; }

bool IsOrdinalKind(TTypeKind K) {
    return K == tkInteger || K == tkChar || K == tkEnumeration || K == tkSet || K == tkWChar || K == tkInt64;
}
bool IsStringKind(TTypeKind K) { return K == tkString || K == tkLString || K == tkWString || K == tkUString; }

Int64 OrdOf(TObject* Instance, const String& Name, Int64 Absent) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && IsOrdinalKind(KindOf(P)) && P->Reader ? GetOrdProp(Instance, P) : Absent;
}

String StrOf(TObject* Instance, const String& Name) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && IsStringKind(KindOf(P)) && P->Reader ? GetStrProp(Instance, P) : String();
}

TObject* ObjOf(TObject* Instance, const String& Name) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && KindOf(P) == tkClass && P->Reader ? GetObjectProp(Instance, P) : nullptr;
}

TStrings* StringsOf(TObject* Instance, const String& Name) { return dynamic_cast<TStrings*>(ObjOf(Instance, Name)); }

bool EventOf(TObject* Instance, const String& Name, TMethod& Event) {
    const TPropInfo* P = Prop(Instance, Name);
    if (!P || KindOf(P) != tkMethod || !P->Reader) return false;
    Event = GetMethodProp(Instance, P);
    return true;
}

// A write that the property refuses (another class, a value out of range, no writer) counts
// as not written: the caller probes, it does not fail.
template <class F> bool Written(const TPropInfo* P, F Write) {
    if (!P || !P->Writer) return false;
    try {
        Write();
        return true;
    } catch (const EPropertyError&) {
        return false;
    } catch (const EPropertyConvertError&) {
        return false;
    }
}

bool SetOrd(TObject* Instance, const String& Name, Int64 Value) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && IsOrdinalKind(KindOf(P)) && Written(P, [&] { SetOrdProp(Instance, P, Value); });
}

bool SetObj(TObject* Instance, const String& Name, TObject* Value) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && KindOf(P) == tkClass && Written(P, [&] { SetObjectProp(Instance, P, Value); });
}

bool SetAnyStr(TObject* Instance, const String& Name, const String& Value) {
    const TPropInfo* P = Prop(Instance, Name);
    return P && IsStringKind(KindOf(P)) && Written(P, [&] { SetStrProp(Instance, P, Value); });
}

bool IsWindowed(const TObject* Control) { return dynamic_cast<const TWinControl*>(Control) != nullptr; }

bool ParentInherits(const TControl* Control, const String& Name) {
    return Control && Control->Parent() && daIsKindOf(Control->Parent(), Name);
}

} // namespace

// ---- Class tests ---------------------------------------------------------------------------------

bool daClassInheritsFrom(TClass AClass, const String& Name) {
    for (TClass C = AClass; C; C = C->ClassParent())
        if (daSameText(C->ClassName(), Name)) return true;
    return false;
}

bool daIsKindOf(const TObject* Component, const String& Name) {
    return Component && daClassInheritsFrom(Component->ClassType(), Name);
}

bool daIsLibraryDataSet(const TObject* Component) {
    for (const char16_t* Name : {u"TdaTable", u"TdaQuery", u"TdaQBE", u"TdaStoreProc"})
        if (daIsKindOf(Component, Name)) return true;
    return false;
}

bool daParentIsGrid(const TControl* Control) { return ParentInherits(Control, u"TCustomGrid"); }
bool daParentIsInspector(const TControl* Control) { return ParentInherits(Control, u"TdaDataInspector"); }
bool daIsPaintCopyState(const TControlState& State) { return State.Contains(csPaintCopy); }
bool daIsGridPaintCopy(const TControl* Control) {
    return daParentIsGrid(Control) && daIsPaintCopyState(Control->ControlState());
}
bool daIsInspectorPaintCopy(const TControl* Edit) {
    return daParentIsInspector(Edit) && daIsPaintCopyState(Edit->ControlState());
}

// ---- Reading -------------------------------------------------------------------------------------

void daGetOnInvalidValue(TObject* DataSet, TMethod& Event) {
    TMethod M;
    Event = EventOf(DataSet, u"OnInvalidValue", M) && M.Assigned() ? M : TMethod();
}
void daGetOnPerformCustomSearch(TObject* Component, TMethod& Event) {
    TMethod M;
    Event = EventOf(Component, u"OnPerformCustomSearch", M) && M.Assigned() ? M : TMethod();
}
void daGetOnCalcCellColors(TObject* Control, TMethod& Event) { EventOf(Control, u"OnCalcCellColors", Event); }
TStrings* daGetPictureMasks(TObject* Component) { return StringsOf(Component, u"PictureMasks"); }
TStrings* daGetRegexMasks(TObject* Grid) { return StringsOf(Grid, u"RegexMasks"); }
TStrings* daGetControlType(TObject* Component) { return StringsOf(Component, u"ControlType"); }
TStrings* daGetLookupFields(TObject* DataSet) { return StringsOf(DataSet, u"LookupFields"); }
TStrings* daGetLookupLinks(TObject* DataSet) { return StringsOf(DataSet, u"LookupLinks"); }
int daGetCursorLocation(TObject* DataSet) { return static_cast<int>(OrdOf(DataSet, u"CursorLocation", 0)); }
bool daGetControlInfoInDataSet(TObject* Component) { return OrdOf(Component, u"ControlInfoInDataSet", 1) != 0; }
bool daGetPictureMaskFromDataSet(TObject* Component) {
    return OrdOf(Component, u"PictureMaskFromDataSet", 1) != 0;
}
void daGetDatabaseName(TObject* DataSet, String& Text) { Text = StrOf(DataSet, u"DatabaseName"); }
TObject* daGetConnection(TObject* DataSet) { return ObjOf(DataSet, u"Connection"); }
bool daHasDatabaseProperty(TObject* DataSet) { return Prop(DataSet, u"Database") != nullptr; }
void daGetConnectionString(TObject* DataSet, String& Text) { Text = StrOf(DataSet, u"ConnectionString"); }
TObject* daGetDataBaseObject(TObject* DataSet) { return ObjOf(DataSet, u"DataBase"); }
bool daIsTransparent(TObject* Control) {
    if (Prop(Control, u"AlwaysTransparent")) return OrdOf(Control, u"AlwaysTransparent", 0) != 0;
    return OrdOf(Control, u"Transparent", 0) != 0;
}
void daGetTableName(TObject* DataSet, String& Text) { Text = StrOf(DataSet, u"TableName"); }
void daGetDataField(TObject* Control, String& Text) {
    Text = IsWindowed(Control) ? StrOf(Control, u"DataField") : String();
}
TObject* daGetDataSource(TObject* Component) { return ObjOf(Component, u"DataSource"); }
TObject* daGetDataSourceOf(TObject* Component) { return ObjOf(Component, u"DataSource"); }
TObject* daGetMasterSource(TObject* DataSet) { return ObjOf(DataSet, u"MasterSource"); }
bool daGetReadOnly(TObject* DataSet) { return OrdOf(DataSet, u"ReadOnly", 0) != 0; }
bool daHasBorder(TObject* Control) {
    return Prop(Control, u"BorderStyle") && OrdOf(Control, u"BorderStyle", Controls::bsNone) != Controls::bsNone;
}
bool daGetWantReturns(TObject* Control) { return OrdOf(Control, u"WantReturns", 0) != 0; }
void daGetSessionName(TObject* DataSet, String& Text) { Text = StrOf(DataSet, u"SessionName"); }
TObject* daGetDataSetProperty(TObject* Component) { return ObjOf(Component, u"DataSet"); }
bool daGetIndexDefs(TObject* Component, TObject*& Defs) {
    Defs = nullptr;
    const TPropInfo* P = Prop(Component, u"IndexDefs");
    if (!P || KindOf(P) != tkClass) return false;
    Defs = GetObjectProp(Component, P);
    return true;
}
TParams* daGetParams(TObject* DataSet) { return dynamic_cast<TParams*>(ObjOf(DataSet, u"Params")); }
Int64 daGetOrdPropByName(TObject* Control, const String& Name) { return OrdOf(Control, Name, 0); }
bool daGetEditCalculated(TObject* Control) { return OrdOf(Control, u"EditCalculated", 0) != 0; }
int daGetOnFilterOptions(TDataSet* DataSet) {
    if (Prop(DataSet, u"OnFilterOptions")) return static_cast<int>(OrdOf(DataSet, u"OnFilterOptions", 0) & 0xFF);
    return DataSet && DataSet->Filtered() ? 1 : 0;
}
void daGetIndexName(TObject* DataSet, String& Text) { Text = StrOf(DataSet, u"IndexName"); }
void daGetIndexFieldNames(TObject* DataSet, String& Text) {
    String S;
    daRemoveChar(StrOf(DataSet, u"IndexFieldNames"), u'[', S);
    daRemoveChar(S, u']', Text);
}
TObject* daGetControllerList(TObject* Controller) { return ObjOf(Controller, u"ControlList"); }

// ---- Writing -------------------------------------------------------------------------------------

bool daSetCursorLocation(TObject* Component, int Value) { return SetOrd(Component, u"CursorLocation", Value); }
bool daSetMaxRecords(TObject* Component, int Value) { return SetOrd(Component, u"MaxRecords", Value); }
bool daSetDatabaseObject(TObject* Component, TObject* Object) { return SetObj(Component, u"Database", Object); }
bool daSetDataSource(TObject* Control, TObject* DataSource) {
    return IsWindowed(Control) && SetObj(Control, u"DataSource", DataSource);
}
bool daSetDataField(TObject* Control, const String& Name) {
    return IsWindowed(Control) && daSetStrPropByName(Control, u"DataField", Name);
}
bool daSetOrdPropByName(TObject* Control, const String& Name, Int64 Value) { return SetOrd(Control, Name, Value); }
bool daSetReadOnly(TObject* Component, bool Value) { return SetOrd(Component, u"ReadOnly", Value); }
bool daSetBorderStyle(TObject* Control, bool Single) {
    return SetOrd(Control, u"BorderStyle", Single ? Controls::bsSingle : Controls::bsNone);
}
bool daSetConnection(TObject* Component, TObject* Object) { return SetObj(Component, u"Connection", Object); }
bool daSetConnectionString(TObject* Component, const String& Text) {
    return SetAnyStr(Component, u"ConnectionString", Text);
}
bool daSetDatabaseName(TObject* Component, const String& Text) {
    return daSetStrPropByName(Component, u"DatabaseName", Text);
}
bool daSetTableName(TObject* Component, const String& Text) { return daSetStrPropByName(Component, u"TableName", Text); }
bool daSetSessionName(TObject* Component, const String& Text) {
    return daSetStrPropByName(Component, u"SessionName", Text);
}
bool daSetStrPropByName(TObject* Component, const String& Name, const String& Text) {
    const TPropInfo* P = Prop(Component, Name);
    if (!P) return false;
    const TTypeKind K = KindOf(P);
    if (K != tkLString && K != tkWString && K != tkUString) return false;
    return Written(P, [&] { SetStrProp(Component, P, Text); });
}
bool daSetIndexName(TObject* Component, const String& Text) { return SetAnyStr(Component, u"IndexName", Text); }

bool daSetIndexFieldNames(TObject* DataSet, const String& Names) {
    String Value = Names;
    if (DataSet && (daIsKindOf(DataSet, u"TADOTable") || daIsKindOf(DataSet, u"TADODataSet"))) {
        String Plain, S;
        daRemoveChar(Names, u'[', S);
        daRemoveChar(S, u']', Plain);
        TStringList List;
        daSplitToList(Plain, u';', &List);
        Value.clear();
        for (int I = 0; I < List.Count(); ++I) {
            const String Name = List.Strings(I);
            if (I > 0) Value += u';';
            Value += daCharInText(u' ', Name) ? u"[" + Name + u"]" : Name;
        }
    }
    return daSetStrPropByName(DataSet, u"IndexFieldNames", Value);
}

bool daAssignParams(TObject* DataSet, TParams* Params) {
    const TPropInfo* P = Prop(DataSet, u"Params");
    if (!P || KindOf(P) != tkClass) return false;
    auto* Target = dynamic_cast<TPersistent*>(GetObjectProp(DataSet, P));
    if (!Target) return false;
    Target->Assign(Params);
    return true;
}

bool daSetStringsProp(TObject* DataSet, TStrings* Lines, const String& Name) {
    TObject* Target = DataSet;
    if (daIsKindOf(DataSet, u"TSimpleDataSet")) Target = ObjOf(DataSet, u"DataSet");
    const TPropInfo* P = Prop(Target, Name);
    if (!P || !Lines) return false;
    TStringList Copy;
    Copy.Assign(Lines);
    if (IsStringKind(KindOf(P))) {
        String Joined;
        for (int I = 0; I < Copy.Count(); ++I)
            Joined += (I ? u"\r\n" : u"") + Copy.Strings(I);
        Written(P, [&] { SetStrProp(Target, P, Joined); });
        return false;
    }
    if (KindOf(P) != tkClass) return false;
    // The setter copies the lines; the copy here goes when the call returns.
    return Written(P, [&] { SetObjectProp(Target, P, &Copy); });
}

void daSetOnFilterEnabled(TObject* DataSet, bool Enabled) {
    const TPropInfo* P = Prop(DataSet, u"OnFilterOptions");
    if (!P || KindOf(P) != tkSet) return;
    Int64 V = GetOrdProp(DataSet, P);
    V = Enabled ? (V | 1) : (V & ~Int64(1));
    Written(P, [&] { SetOrdProp(DataSet, P, V); });
}

// ---- The variable protocol --------------------------------------------------------------------------

void daGetVariable(TObject* DataSet, const String& Name, Variant& Value) {
    Value = Variant();
    if (auto F = MethodCode<void(TObject*, const String&, Variant&)>(DataSet, u"GetVariable")) F(DataSet, Name, Value);
}

void daGetVariableWithParams(TObject* DataSet, const String& Name, const Variant& Param, Variant& Value) {
    Value = Variant();
    if (auto F = MethodCode<void(TObject*, const String&, const Variant&, Variant&)>(DataSet, u"GetVariableWithParams"))
        F(DataSet, Name, Param, Value);
}

void daGetVariableWithParams2(TObject* DataSet, const String& Name, const TVariantArray& Values, Variant& Value,
                              const TVariantArray& Values2) {
    Value = Variant();
    if (auto F = MethodCode<void(TObject*, const String&, const TVariantArray&, Variant&, const TVariantArray&)>(
            DataSet, u"GetVariableWithParams2"))
        F(DataSet, Name, Values, Value, Values2);
}

TObject* daGetVariableObject(TObject* DataSet, const String& Name, const Variant& Param) {
    auto F = MethodCode<TObject*(TObject*, const String&, const Variant&)>(DataSet, u"GetVariableObject");
    return F ? F(DataSet, Name, Param) : nullptr;
}

void daSetVariable(TObject* DataSet, const String& Name, const Variant& Value) {
    if (auto F = MethodCode<void(TObject*, const String&, const Variant&)>(DataSet, u"SetVariable")) F(DataSet, Name, Value);
}

void daSetVariableObject(TObject* DataSet, const String& Name, TObject* Object) {
    if (auto F = MethodCode<void(TObject*, const String&, TObject*)>(DataSet, u"SetVariableObject"))
        F(DataSet, Name, Object);
}

bool daCallFindRecord(TObject* DataSet, const String& Key, const String& Key2, bool Flag1, bool Flag2) {
    auto F = MethodCode<bool(TObject*, const String&, const String&, bool, bool)>(DataSet, u"daFindRecord");
    return F && F(DataSet, Key, Key2, Flag1, Flag2);
}

bool daCallFindKey(TObject* DataSet, const TVariantArray& KeyValues) {
    Variant Result;
    daGetVariableWithParams2(DataSet, u"daFindKey", KeyValues, Result, {});
    return Result.VarType() == varBoolean && Result.AsBoolean();
}

void daSetToIndexContainingField(TObject* DataSet, const String& FieldName) {
    if (!daIsKindOf(DataSet, u"TdaTable")) return;
    if (auto F = MethodCode<void(TObject*, const String&)>(DataSet, u"setToIndexContainingField")) F(DataSet, FieldName);
}

TObject* daGetLookupTables(TObject* DataSet) {
    return daIsLibraryDataSet(DataSet) ? daGetVariableObject(DataSet, u"LookupTables", Variant()) : nullptr;
}

bool daHasIndexFields(TObject* DataSet) {
    if (!daIsKindOf(DataSet, u"TdaTable")) return false;
    Variant V;
    daGetVariable(DataSet, u"IndexFieldCount", V);
    return !V.IsClear() && V.AsInteger() > 0;
}

bool daIsQueryTable(TObject* DataSet) {
    if (!daIsKindOf(DataSet, u"TdaTable")) return false;
    Variant V;
    daGetVariable(DataSet, u"IsQueryTable", V);
    return !V.IsClear() && V.AsBoolean();
}

void daGetDBPicture(TDataSet* DataSet, const String& FieldName, String& Picture) {
    Picture.clear();
    if (!daIsKindOf(DataSet, u"TdaTable") || !DataSet->FindField(FieldName)) return;
    Variant V;
    daGetVariableWithParams(DataSet, u"GetDBPicture", FieldName, V);
    Picture = V.AsString();
}
