#pragma once
// Searching datasets, choosing and describing their indexes, positioning lookup tables for
// calculated lookup fields, checking typed text against a field's type, and moving field values
// into query parameters. Behaviour that only the library's own dataset classes offer is reached
// by name and skipped for other datasets. Every routine that shows the hourglass, disables the
// dataset's controls or raises a re-entrance flag puts it back on every way out.

#include "platform/base/Lists.h"
#include "platform/base/Types.h"
#include "platform/base/Variant.h"
#include "platform/data/DB.h"

#include <cstddef>
#include <functional>

// ---- Fields and values ------------------------------------------------------------------------

bool daDataSetHasField(TObject* DataSet, const String& Name);
bool daIsDataSetAssigned(TObject* DataSet);
bool daIsCalcOrLookupField(TField* Field);
bool daIsNonBinaryFieldType(TFieldType Type);
// The first field whose DisplayLabel is Label ('~' counting as a blank in both).
void daFieldNameOfLabel(TDataSet* DataSet, const String& Label, String& FieldName);
int daIndexOfText(TStrings* Strings, const String& Text);
int daCompareBookmarks(TDataSet* DataSet, const TBookmark& A, const TBookmark& B);
inline int daMax(int A, int B) { return A > B ? A : B; }
inline int daMin(int A, int B) { return A < B ? A : B; }
inline int daClamp(int Value, int Low, int High) { return Value < Low ? Low : daMin(Value, High); }
inline int daScaleByPPI(int Value, int PixelsPerInch) { return Value * PixelsPerInch / 96; }

bool daIsValidTextForType(TFieldType Type, const String& Text);
bool daIsValidFieldText(TField* Field, const String& Text);
bool daIsValidFieldValue(TField* Field, const String& Text);
// Converts the text (trailing blanks removed) as the type needs; invalid text raises the
// runtime's conversion error.
void daCheckTextForType(TFieldType Type, String Text);

// The native layout of a value in a parameter buffer.
constexpr std::size_t daMaxParamText = 32767;
// Writes the field's value into Buffer in the native layout of its type (8-bit text with a
// terminating zero, 2-, 4- or 8-byte numbers, a BCD record, time-stamp parts) and hands it to
// the parameter. Nothing is written past BufferSize: text is cut to fit, and a fixed-size value
// that does not fit leaves buffer and parameter alone. Answers whether the parameter was set.
bool daFieldToParamData(TField* Field, TParam& Param, void* Buffer, std::size_t BufferSize);
// The record a BCD value takes in a buffer: precision, sign and decimals, 32 digit nibbles.
struct TdaBcd {
    Byte Precision = 0;
    Byte SignSpecialPlaces = 0; // bit 7: negative; bits 0-5: decimals
    Byte Fraction[32] = {};
};
TdaBcd daCurrencyToBcd(double Value, int Precision, int Decimals);

// ---- Indexes ----------------------------------------------------------------------------------

bool daGetActiveIndexDef(TDataSet* DataSet, TIndexDef& Definition);
int daGetIndexFieldCount(TDataSet* DataSet);
TField* daGetIndexField(TDataSet* DataSet, int Position);
void daGetFirstIndexField(TDataSet* DataSet, String& Name);
bool daIsIndexCaseSensitive(TDataSet* DataSet);
bool daIsIndexDescending(TDataSet* DataSet);
const TIndexDef* daFindIndexDefForFields(TDataSet* DataSet, const String& FieldNames, bool RequireCaseInsensitive,
                                         bool Ascending);
void daSetIndexForFields(TDataSet* DataSet, const String& FieldNames);
void daSortByField(TDataSet* DataSet, const String& FieldName, bool Descending, bool MayCreateIndex);
void daSelectIndexDef(TDataSet* DataSet, const TIndexDef& Definition);

// ---- Searching --------------------------------------------------------------------------------

// Moves a table to the first record whose index field at Position starts with Text; True when
// the record it lands on matches.
bool daFindIncremental(TDataSet* DataSet, const String& Text, int IndexFieldPosition);
bool daLocateUnlessCurrent(TDataSet* DataSet, const String& Text, const String& FieldName, bool CaseSensitive,
                           bool Partial);

// ---- Calculated lookup fields -----------------------------------------------------------------

using TdaParamSource = std::function<TParam*(const String& MasterFieldName)>;

bool daFindLookupValue(TField* CalcField, String& KeyText, TField*& ResultField);
bool daFindByLinkPairs(TDataSet* LookupTable, TDataSet* Master, TStrings* LinkParts);
bool daLocateLookupRecord(TDataSet* Master, TDataSet* LookupTable, TStrings* LinkParts,
                          const TdaParamSource& ParamSource);
TField* daGetLookupResultField(TDataSet* DataSet, TField* Field, const TdaParamSource& ParamSource);
bool daSyncLookupTable(TDataSet* DataSet, TDataSet* LookupTable, const String& FieldName, String& LinkField);
