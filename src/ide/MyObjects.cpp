#include "ide/MyObjects.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"

tTreeClass::tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType)
    : FCaption(ACaption), FFullPath(APath), FNodeType(aNodeType) {}

tTreeClass::tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType, tTabKind aTabKind,
                       bool aSimpleCoding, TDateTime LastModified)
    : FCaption(ACaption), FFullPath(APath), FNodeType(aNodeType), FLastModified(LastModified),
      FTabKind(aTabKind), FSimpleCoding(aSimpleCoding) {}

tNodeType tTreeClass::GetNodeTypeFromFileName(const String& FileName) {
    String Ext = UpperCase(ExtractFileExt(FileName));
    Delete(Ext, 1, 1);  // the dot
    int Value = GetEnumValue(TypeInfo<tExtensions>(), u"ex" + Ext);
    switch (Value) {
    case exIno:
    case exPde:
    case exC:
    case exCpp:
        return ntFileSrc;
    case ExH:
        return ntFileHeader;
    case ExDll:
        return ntFileDll;
    case exTxt:
        return ntFileTxt;
    case exDoc:
    case exPdf:
        return ntFileDoc;
    case exHTM:
    case exHTML:
        return ntFileHtml;
    case exPrj:
        return ntProjectConfig;
    default:  // exHex and unknown extensions
        return ntUnknown;
    }
}
