#include "ide/MyObjects.h"

tTreeClass::tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType)
    : FCaption(ACaption), FFullPath(APath), FNodeType(aNodeType) {}

tTreeClass::tTreeClass(const String& ACaption, const String& APath, tNodeType aNodeType, tTabKind aTabKind,
                       bool aSimpleCoding, TDateTime LastModified)
    : FCaption(ACaption), FFullPath(APath), FNodeType(aNodeType), FLastModified(LastModified),
      FTabKind(aTabKind), FSimpleCoding(aSimpleCoding) {}

tNodeType tTreeClass::GetNodeTypeFromFileName(const String&) {
    return ntUnknown;  // placeholder until the extension rule lands
}
