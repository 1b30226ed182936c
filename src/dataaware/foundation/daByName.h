#pragma once
// Reaching datasets, data sources and controls by name instead of by class: class tests by
// class name, published properties read and written by name, and the library's dataset
// methods called by name (the variable protocol). An absent member answers a neutral value
// (null, empty text, False, 0, an unassigned Variant), so that any object can be probed.

#include "platform/base/Component.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Variant.h"
#include "platform/gui/Controls.h"

class TStrings;
class TDataSet;
class TParams;

// ---- Class tests ---------------------------------------------------------------------------------
bool daClassInheritsFrom(TClass AClass, const String& Name);
bool daIsKindOf(const TObject* Component, const String& Name);
bool daIsLibraryDataSet(const TObject* Component);
bool daParentIsGrid(const TControl* Control);
bool daParentIsInspector(const TControl* Control);
bool daIsGridPaintCopy(const TControl* Control);
bool daIsInspectorPaintCopy(const TControl* Edit);
bool daIsPaintCopyState(const TControlState& State);

// ---- Reading by name -----------------------------------------------------------------------------
void daGetOnInvalidValue(TObject* DataSet, TMethod& Event);
void daGetOnPerformCustomSearch(TObject* Component, TMethod& Event);
// Leaves Event as it was when the control has no such event.
void daGetOnCalcCellColors(TObject* Control, TMethod& Event);
TStrings* daGetPictureMasks(TObject* Component);
TStrings* daGetRegexMasks(TObject* Grid);
TStrings* daGetControlType(TObject* Component);
TStrings* daGetLookupFields(TObject* DataSet);
TStrings* daGetLookupLinks(TObject* DataSet);
int daGetCursorLocation(TObject* DataSet);
bool daGetControlInfoInDataSet(TObject* Component);
bool daGetPictureMaskFromDataSet(TObject* Component);
void daGetDatabaseName(TObject* DataSet, String& Text);
TObject* daGetConnection(TObject* DataSet);
bool daHasDatabaseProperty(TObject* DataSet);
void daGetConnectionString(TObject* DataSet, String& Text);
TObject* daGetDataBaseObject(TObject* DataSet);
bool daIsTransparent(TObject* Control);
void daGetTableName(TObject* DataSet, String& Text);
void daGetDataField(TObject* Control, String& Text);
TObject* daGetDataSource(TObject* Component);
TObject* daGetDataSourceOf(TObject* Component);
TObject* daGetMasterSource(TObject* DataSet);
bool daGetReadOnly(TObject* DataSet);
bool daHasBorder(TObject* Control);
bool daGetWantReturns(TObject* Control);
void daGetSessionName(TObject* DataSet, String& Text);
TObject* daGetDataSetProperty(TObject* Component);
bool daGetIndexDefs(TObject* Component, TObject*& Defs);
TParams* daGetParams(TObject* DataSet);
Int64 daGetOrdPropByName(TObject* Control, const String& Name);
bool daGetEditCalculated(TObject* Control);
// The low byte of the "OnFilterOptions" set; without it the dataset's Filtered flag as 0 or 1.
int daGetOnFilterOptions(TDataSet* DataSet);
void daGetIndexName(TObject* DataSet, String& Text);
// Without '[' and ']'.
void daGetIndexFieldNames(TObject* DataSet, String& Text);
TObject* daGetControllerList(TObject* Controller);

// ---- Writing by name (True when the property was found and written) --------------------------------
bool daSetCursorLocation(TObject* Component, int Value);
bool daSetMaxRecords(TObject* Component, int Value);
bool daSetDatabaseObject(TObject* Component, TObject* Object);
bool daSetDataSource(TObject* Control, TObject* DataSource);
bool daSetDataField(TObject* Control, const String& Name);
bool daSetOrdPropByName(TObject* Control, const String& Name, Int64 Value);
bool daSetReadOnly(TObject* Component, bool Value);
bool daSetBorderStyle(TObject* Control, bool Single);
bool daSetConnection(TObject* Component, TObject* Object);
bool daSetConnectionString(TObject* Component, const String& Text);
bool daSetDatabaseName(TObject* Component, const String& Text);
bool daSetTableName(TObject* Component, const String& Text);
bool daSetSessionName(TObject* Component, const String& Text);
// Long, wide and Unicode string properties only (a short string is not written).
bool daSetStrPropByName(TObject* Component, const String& Name, const String& Text);
bool daSetIndexName(TObject* Component, const String& Text);
bool daSetIndexFieldNames(TObject* DataSet, const String& Names);
bool daAssignParams(TObject* DataSet, TParams* Params);
bool daSetStringsProp(TObject* DataSet, TStrings* Lines, const String& Name);
void daSetOnFilterEnabled(TObject* DataSet, bool Enabled);

// ---- The variable protocol --------------------------------------------------------------------------
// The published methods a library dataset offers, with these signatures:
//   GetVariable(const String& Name, Variant& Value)
//   GetVariableWithParams(const String& Name, const Variant& Param, Variant& Value)
//   GetVariableWithParams2(const String& Name, const TVariantArray& Values, Variant& Value,
//                          const TVariantArray& Values2)
//   TObject* GetVariableObject(const String& Name, const Variant& Param)
//   SetVariable(const String& Name, const Variant& Value)
//   SetVariableObject(const String& Name, TObject* Object)
//   bool daFindRecord(const String& Key, const String& Key2, bool Flag1, bool Flag2)
//   setToIndexContainingField(const String& FieldName)
void daGetVariable(TObject* DataSet, const String& Name, Variant& Value);
void daGetVariableWithParams(TObject* DataSet, const String& Name, const Variant& Param, Variant& Value);
void daGetVariableWithParams2(TObject* DataSet, const String& Name, const TVariantArray& Values, Variant& Value,
                              const TVariantArray& Values2);
TObject* daGetVariableObject(TObject* DataSet, const String& Name, const Variant& Param);
void daSetVariable(TObject* DataSet, const String& Name, const Variant& Value);
void daSetVariableObject(TObject* DataSet, const String& Name, TObject* Object);
bool daCallFindRecord(TObject* DataSet, const String& Key, const String& Key2, bool Flag1, bool Flag2);
bool daCallFindKey(TObject* DataSet, const TVariantArray& KeyValues);
void daSetToIndexContainingField(TObject* DataSet, const String& FieldName);
TObject* daGetLookupTables(TObject* DataSet);
bool daHasIndexFields(TObject* DataSet);
bool daIsQueryTable(TObject* DataSet);
void daGetDBPicture(TDataSet* DataSet, const String& FieldName, String& Picture);
