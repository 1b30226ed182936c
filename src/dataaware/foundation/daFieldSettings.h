#pragma once
// The per-field setting lists of the library's controls and datasets, one line per field,
// reached by property name: "PictureMasks" (FieldName TAB Mask TAB AutoFill TAB UsePictureMask),
// "RegexMasks" (FieldName TAB Mask TAB CaseFlag TAB Description), "ControlType"
// (FieldName;Type;Parameters), "LookupFields" and "LookupLinks" (parallel lines of ";"-separated
// parts), and "Selected" (FieldName TAB DisplayWidth TAB DisplayLabel ...). Flags are "T" or
// "F".

#include "platform/base/Lists.h"
#include "platform/base/Types.h"

class TComponent;
class TDataSet;
class TField;
class TWinControl;

// The list that applies: the dataset's when the component takes its settings from the dataset
// (the switch is absent or True) and the dataset has the list; otherwise the component's.
// A null dataset means the component's "DataSource" dataset.
TObject* daGetPictureMaskSource(TObject* Component, TDataSet* DataSet = nullptr);
TObject* daGetControlTypeSource(TObject* Component, TDataSet* DataSet = nullptr);

void daGetPictureMask(TObject* Component, const String& FieldName, bool UseDataSetPicture, bool& UseMask,
                      bool& AutoFill, String& Mask);
void daSetPictureMask(TObject* Component, const String& FieldName, String Mask, bool SetUseFlag,
                      bool SetAutoFillFlag, bool SetMaskFlag, bool UseMask, bool AutoFill);

void daGetRegexMask(TObject* Grid, const String& FieldName, String& Mask, String& Description, bool& CaseSensitive);
void daSetRegexMask(TObject* Grid, const String& FieldName, const String& Mask, const String& Description,
                    bool CaseSensitive);

void daGetFieldControlType(TObject* Component, const String& FieldName, String& Type, String& Parameters);
void daSetFieldControlType(TObject* Component, const String& FieldName, const String& Type,
                           const String& Parameters);
bool daIsEmbeddedEditType(const String& Type);
bool daIsRichTextField(TField* Field, bool CheckContent);
bool daFindFieldCustomControl(TObject* Dialog, TComponent* Form, TField* Field, TWinControl*& Control);
void daDetachFieldControls(TComponent* Component);

void daGetLookupLinkOfField(TObject* DataSet, const String& FieldName, String& Links);
void daGetLookupResultFieldName(TObject* DataSet, const String& FieldName, String& Name);
void daParseLookupFieldsEntry(TField* Field, String& DatabaseName, String& TableName, String& Links,
                              String& ResultField);
// Parts of a "LookupFields" line, as daSplitToList gives them.
bool daTableMatchesLookupEntry(TObject* Table, TStrings* Parts);
void daRemoveStaleFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* Parallel, TStrings* Keyed);

void daFieldsToSelectedList(TDataSet* DataSet, TStrings* Strings);
// Raises EConvertError for a width that is not a whole number; the dataset's controls come
// back on every path.
void daApplySelectedToFields(TDataSet* DataSet, TStrings* Strings);
bool daFindSelectedField(TStrings* Strings, const String& FieldName, int& Index);
