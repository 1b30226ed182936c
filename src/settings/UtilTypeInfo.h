#pragma once
// Wrappers around the run-time type records of platform/base/TypeInfo.h: one reference-counted
// wrapper class per type kind, made by MakeTypeInfoWrapper, and the set texts that settings
// stores write ("[fpState, fpSize]"). A set value is passed by address in its storage form:
// the bytes from the one that holds the base type's lowest ordinal m to the one holding its
// highest M, ordinal v being bit v - (m div 8) * 8 of them.

#include "settings/UtilErrors.h"

#include "platform/base/TypeInfo.h"

#include <memory>

class TObject;
class TStrings;

// Where the wrappers write their descriptions and declarations.
class IUtilTextSink {
public:
    virtual ~IUtilTextSink() = default;
    virtual void Write(const String& Text) = 0;
    virtual void WriteLine(const String& Text) = 0;
    virtual void Indent() = 0;
    virtual void Outdent() = 0;
};

class TUtilTypeInfo;
class TUtilOrdinalTypeInfo;
class TUtilOrdinalRangeTypeInfo;
class TUtilEnumerationTypeInfo;
class TUtilSetTypeInfo;
class TUtilFloatTypeInfo;
class TUtilClassTypeInfo;
class TUtilInt64TypeInfo;
class TUtilPropInfo;
using IUtilTypeInfo = std::shared_ptr<TUtilTypeInfo>;
using IUtilOrdinalTypeInfo = std::shared_ptr<TUtilOrdinalTypeInfo>;
using IUtilOrdinalRangeTypeInfo = std::shared_ptr<TUtilOrdinalRangeTypeInfo>;
using IUtilEnumerationTypeInfo = std::shared_ptr<TUtilEnumerationTypeInfo>;
using IUtilSetKindInfo = std::shared_ptr<TUtilSetTypeInfo>;
using IUtilFloatTypeInfo = std::shared_ptr<TUtilFloatTypeInfo>;
using IUtilClassTypeInfo = std::shared_ptr<TUtilClassTypeInfo>;
using IUtilInt64TypeInfo = std::shared_ptr<TUtilInt64TypeInfo>;
using IUtilPropInfo = std::shared_ptr<TUtilPropInfo>;

// A wrapper for the record's kind: integers and characters get the range wrapper; kinds the
// table has no wrapper for get the plain one. Null for a null record.
IUtilTypeInfo MakeTypeInfoWrapper(const TTypeInfo* ATypeInfo);

class TUtilTypeInfo : public std::enable_shared_from_this<TUtilTypeInfo> {
public:
    explicit TUtilTypeInfo(const TTypeInfo* ATypeInfo) : FTypeInfo(ATypeInfo) {}
    virtual ~TUtilTypeInfo() = default;

    const String& GetName() const { return FTypeInfo->Name; }
    const TTypeInfo* GetTypeInfo() const { return FTypeInfo; }
    TTypeKind GetTypeKind() const { return FTypeInfo->Kind; }

    // Labelled lines about the type, the ancestors' lines first.
    virtual void DescribeTo(IUtilTextSink& Sink);
    // The type's declaration as source text.
    virtual void DeclareTo(IUtilTextSink& Sink);

protected:
    const TTypeInfo* FTypeInfo;
};

class TUtilOrdinalTypeInfo : public TUtilTypeInfo {
public:
    using TUtilTypeInfo::TUtilTypeInfo;
    TOrdType GetOrdinalType() const { return FTypeInfo->OrdType; }
    void DescribeTo(IUtilTextSink& Sink) override;
};

class TUtilOrdinalRangeTypeInfo : public TUtilOrdinalTypeInfo {
public:
    using TUtilOrdinalTypeInfo::TUtilOrdinalTypeInfo;
    Int64 GetMinValue() const { return FTypeInfo->MinValue; }
    Int64 GetMaxValue() const { return FTypeInfo->MaxValue; }
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

class TUtilEnumerationTypeInfo : public TUtilOrdinalRangeTypeInfo {
public:
    using TUtilOrdinalRangeTypeInfo::TUtilOrdinalRangeTypeInfo;
    // This wrapper when the type is its own base, else a wrapper of the base.
    IUtilEnumerationTypeInfo GetBaseType();
    // The I-th name of the base type (a sub-range counts from its base's first value).
    String GetNames(int I) const;
    // Types here belong to no unit: "".
    String GetUnitName() const { return String(); }
    // The ordinal of Name (ASCII case ignored), searching from the highest value down; -1.
    int IndexOfName(const String& Name) const;
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

class TUtilSetTypeInfo : public TUtilOrdinalTypeInfo {
public:
    using TUtilOrdinalTypeInfo::TUtilOrdinalTypeInfo;
    IUtilOrdinalTypeInfo GetBaseType() const;
    // Appends the members of Value to Strings, one line each, or with WantRanges "first ..
    // last" for runs; names for an enumeration base, numbers otherwise.
    void GetAsList(const void* Value, bool WantRanges, TStrings* Strings) const;
    // Sets Value from lines of names, numbers or "low .. high" ranges (blanks around them
    // allowed, empty lines skipped). Every line is checked before Value changes: a name the
    // enumeration lacks raises EUtilRTTIError "Unknown identifier '%s'.", a bad number or one
    // outside the base type's range EConvertError, and Value then stays as it was.
    void SetAsList(void* Value, TStrings* Strings) const;
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

class TUtilFloatTypeInfo : public TUtilTypeInfo {
public:
    using TUtilTypeInfo::TUtilTypeInfo;
    TFloatType GetFloatType() const { return FTypeInfo->FloatType; }
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

class TUtilClassTypeInfo : public TUtilTypeInfo {
public:
    using TUtilTypeInfo::TUtilTypeInfo;
    TClass GetClassRef() const { return FTypeInfo->ClassType; }
    // Null for a class without a parent.
    IUtilClassTypeInfo GetParent() const;
    int GetTotalPropertyCount() const;
    // The properties this class publishes itself (not those of its ancestors).
    int GetPropertyCount() const;
    // Own properties first; an index beyond them goes on to the parent's.
    IUtilPropInfo GetProperties(int I) const;
    // The property of this class or an ancestor; null when there is none.
    IUtilPropInfo GetPropNames(const String& Name) const;
    String GetUnitName() const { return String(); }
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

class TUtilInt64TypeInfo : public TUtilTypeInfo {
public:
    using TUtilTypeInfo::TUtilTypeInfo;
    Int64 GetMinValue() const { return FTypeInfo->MinValue; }
    Int64 GetMaxValue() const { return FTypeInfo->MaxValue; }
    void DescribeTo(IUtilTextSink& Sink) override;
    void DeclareTo(IUtilTextSink& Sink) override;
};

// One published property.
class TUtilPropInfo {
public:
    explicit TUtilPropInfo(const TPropInfo* APropInfo) : FPropInfo(APropInfo) {}
    const TPropInfo* GetPropInfo() const { return FPropInfo; }
    IUtilTypeInfo GetPropType() const { return MakeTypeInfoWrapper(FPropInfo->PropType); }
    const String& GetName() const { return FPropInfo->Name; }
    bool HasDefault() const { return FPropInfo->HasDefault(); }
    Int64 GetDefault() const { return FPropInfo->Default; }
    bool IsReadable() const { return static_cast<bool>(FPropInfo->Reader); }
    bool IsWritable() const { return static_cast<bool>(FPropInfo->Writer); }
    bool IsStored(TObject* Instance) const;

private:
    const TPropInfo* FPropInfo;
};

// The bytes a value of SetType occupies (1 to 32).
int SetStorageSize(const TTypeInfo* SetType);
// Between the storage form and the property form (bit n of the bitset is ordinal n).
void SetBitsToStorage(const TTypeInfo* SetType, const TSetBits& Bits, void* Value);
TSetBits StorageToSetBits(const TTypeInfo* SetType, const void* Value);

// The members joined by ", ", with WantBrackets in "[" "]" ("[]" for the empty set).
String SetToText(const TTypeInfo* SetType, const void* Value, bool WantBrackets = true,
                 bool WantRanges = false);
// The pieces between the commas of Text, after a leading "[" and the last character that goes
// with it, to SetAsList.
void TextToSet(const TTypeInfo* SetType, void* Value, const String& Text);

// The value name of an ordinal read from Value with its type's width and sign; for a value
// outside the type: "Value out of range (ordinal=<n>).".
String OrdinalValueName(const TTypeInfo* ATypeInfo, const void* Value);
// An ordinal read from memory with the width and sign of its storage type.
Int64 ReadOrdinal(TOrdType OrdType, const void* Value);
// Stores an ordinal into memory with the width of its storage type.
void WriteOrdinal(TOrdType OrdType, Int64 Ordinal, void* Value);
// The width in bytes of an ordinal storage type.
int OrdinalSize(TOrdType OrdType);
