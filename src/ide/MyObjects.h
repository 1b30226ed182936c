#pragma once
// The records that the IDE hangs on tree nodes, list entries and terminal entries.

#include "platform/base/Encoding.h"
#include "platform/base/Object.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

DECLARE_ENUM(tNodeType, Byte, ntUnknown, ntRoot, ntDir, ntFileSrc, ntFileSrcWithoutLoop, ntFileHeader, ntFileTxt,
             ntFileHtml, ntFileDoc, ntFileDll, ntProjectConfig)

DECLARE_ENUM(tTabKind, Byte, tkNonSpecific, tkSketches, tkExamplesRO)

// The known file extensions: each value's name is "ex" and the extension, so a new extension
// is one more value here and one more row in the mapping of GetNodeTypeFromFileName.
DECLARE_ENUM(tExtensions, Byte, exIno, exPde, exC, exCpp, ExH, ExDll, exTxt, exDoc, exHTM, exHTML, exPdf, exHex,
             exPrj)

class tTreeClass : public TObject {
    DECLARE_CLASS(tTreeClass, TObject)

public:
    tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType);
    tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType, tTabKind aTabKind,
               bool aSimpleCoding, TDateTime LastModified);

    static tNodeType GetNodeTypeFromFileName(const String& FileName);

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value) { FCaption = Value; }
    const String& FullPath() const { return FFullPath; }
    void SetFullPath(const String& Value) { FFullPath = Value; }
    tNodeType NodeType() const { return FNodeType; }
    void SetNodeType(tNodeType Value) { FNodeType = Value; }
    TDateTime LastModified() const { return FLastModified; }
    void SetLastModified(TDateTime Value) { FLastModified = Value; }
    tTabKind TabKind() const { return FTabKind; }
    void SetTabKind(tTabKind Value) { FTabKind = Value; }
    bool SimpleCoding() const { return FSimpleCoding; }
    void SetSimpleCoding(bool Value) { FSimpleCoding = Value; }

private:
    String FCaption;
    String FFullPath;
    tNodeType FNodeType;
    TDateTime FLastModified = 0;
    tTabKind FTabKind = tkNonSpecific;
    bool FSimpleCoding = false;
};

class TfrmTerm;

// A sketch's project configuration as the builds use it; a reader's caller passes it empty.
struct tProjectInfoRec {
    String ArduinoInternalName;
    String ArduinoUserFriendlyName;
    String CPU;
    int ComNr = 0;
    int BaudRate = 0;
};

// One open terminal: a plain record; the main window owns the terminal window.
class tTerminalClass : public TObject {
public:
    String ProjectName;
    int TerminalNr = 0;
    TfrmTerm* TerminalForm = nullptr;
};

// UTF-8 whose preamble is empty: text saved with it starts directly with the text's bytes.
class TUTF8EncodingNoBOM : public TUTF8Encoding {
public:
    TBytes GetPreamble() const override { return {}; }
};
