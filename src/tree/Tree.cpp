#include "tree/Tree.h"

#include "platform/base/Object.h"
#include "platform/gui/Gui.h"
#include "tree/BaseLeanTree.h"
#include "tree/LeanStringTree.h"

void RegisterTreeClasses() {
    RegisterPlatformGuiClasses();
    RegisterClass(TBaseLeanTree::StaticClass());
    RegisterClass(TCustomLeanTreeOptions::StaticClass());
    RegisterClass(TCustomStringTreeOptions::StaticClass());
    RegisterClass(TStringTreeOptions::StaticClass());
    RegisterClass(TLTHeader::StaticClass());
    RegisterClass(TCustomLeanStringTree::StaticClass());
    RegisterClass(TLeanStringTree::StaticClass());
}
