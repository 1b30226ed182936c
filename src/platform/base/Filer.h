#pragma once
// The stream form of an object's properties, as components keep them: a list of named values,
// each value led by a byte that tells its type (TValueType), the list ended by vaNull. The
// properties written are the published ones that are stored and differ from their default,
// then those the object declares itself in DefineProperties (values of a form of their own, or
// values that depend on others). A collection is one value: its items one after the other,
// each a list of its own properties.
//
// Numbers are little-endian. A name is a byte count (at most 255) and that many bytes of
// UTF-8. Integers take the smallest of vaInt8, vaInt16, vaInt32 and vaInt64; a Boolean is
// vaFalse or vaTrue; an enumeration value, or an integer that has a name (RegisterIntegerConsts),
// is vaIdent and the name; a set is vaSet, its element names, and an empty name; a text is
// vaString with a byte count for pure ASCII up to 255 characters, else vaUTF8String with a
// 32-bit byte count; a float is vaDouble. A published object property that is a collection is
// written as vaCollection when it has items; one that is another persistent object writes its
// own properties under "Name.Property". Events and references to components are not written.

#include "platform/base/Persistent.h"
#include "platform/base/TypeInfo.h"

#include <functional>
#include <string>

class TStream;
class TCollection;

DECLARE_ENUM(TValueType, Byte, vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent,
             vaFalse, vaTrue, vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate,
             vaWString, vaInt64, vaUTF8String, vaDouble)

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;

class TFiler : public TObject {
    DECLARE_CLASS(TFiler, TObject)
public:
    explicit TFiler(TStream* Stream) : FStream(Stream) {}

    // Declared by an object's DefineProperties: the value Name, read with ReadData and written
    // with WriteData when HasData.
    virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                                bool HasData) = 0;
    // The object the written one descends from (its values are the defaults), or none.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    TStream* Stream() const { return FStream; }

protected:
    TStream* FStream;
    TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
    DECLARE_CLASS(TWriter, TFiler)
public:
    using TFiler::TFiler;

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;

    // The properties of Instance and the end of their list.
    void WriteProperties(TPersistent* Instance);
    // vaCollection, each item's properties, the end of the collection.
    void WriteCollection(TCollection* Value);

    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(Int64 Value);
    void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
    void WriteFloat(double Value);
    void WriteString(const String& Value);
    // An identifier; "False", "True", "nil" and "Null" take their own value types.
    void WriteIdent(const String& Ident);

private:
    String FPropPath;
    void WriteBytes(const void* Data, int Count);
    void WriteName(const String& Name);
    void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
};

class TReader : public TFiler {
    DECLARE_CLASS(TReader, TFiler)
public:
    using TFiler::TFiler;

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;

    // Reads a list written by WriteProperties into Instance. A name the object neither
    // publishes nor defines raises EReadError "Property <name> does not exist"; a value of the
    // wrong type EReadError "Invalid property value"; a stream that ends early EReadError
    // "Stream read error".
    void ReadProperties(TPersistent* Instance);
    // The items of a collection value whose vaCollection was read, appended to Value.
    void ReadCollection(TCollection* Value);

    // The type of the next value, not taken from the stream.
    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList() { return NextValue() == vaNull; }
    void ReadListBegin();
    void ReadListEnd();
    Int64 ReadInteger();
    bool ReadBoolean();
    double ReadFloat();
    String ReadString();
    String ReadIdent();
    // Passes over the next value, whatever its type.
    void SkipValue();

private:
    String FPropName;
    Byte ReadByte();
    String ReadName();
    void CheckValue(TValueType Want);
    [[noreturn]] void InvalidValue();
    void ReadProperty(TPersistent* Instance);
    void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
};
