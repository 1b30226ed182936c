#pragma once
// The datasheet viewer: a tree of boards, shields and components read from the program's
// ".Datasheets" index, and tabs in which the viewer programs that the options name per file
// extension show an item's pictures and documents, their windows taken into the tabs.

#include "ide/MyObjects.h"

#include "tree/LeanStringTree.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class TChildProcess;

DECLARE_ENUM(tNodeCategory, Byte, icUnknown, icCategory, icItemName, icImage, icText)

class tDocTreeClass : public tTreeClass {
    DECLARE_CLASS(tDocTreeClass, tTreeClass)
public:
    tDocTreeClass(const String& ACaption, tNodeCategory ANodeCategory, const String& APath);

    tNodeCategory NodeCategory() const { return fNodeCategory; }
    void SetNodeCategory(tNodeCategory Value) { fNodeCategory = Value; }
    // The category of an index line (with its leading "+" characters) at NodeLevel.
    static tNodeCategory GetNodeCategoryFromFileName(int NodeLevel, const String& aText);

private:
    tNodeCategory fNodeCategory;
};

class TfrmHelpArduinos : public TForm {
    DECLARE_CLASS(TfrmHelpArduinos, TForm)
public:
    // The window is of use once ReadIndex has read the index.
    explicit TfrmHelpArduinos(TComponent* AOwner);
    ~TfrmHelpArduinos() override;

    TToolBar* tlb1 = nullptr;
    TToolButton* btn1 = nullptr;
    TCheckBox* chkHideDetails = nullptr;
    TToolButton* btn4 = nullptr;
    TPanel* pnlLeft = nullptr;
    TLeanStringTree* vtreeDatasheets = nullptr;
    TSplitter* spl1 = nullptr;
    TPanel* pnlRight = nullptr;
    TPageControl* pgcHelp = nullptr;
    TListBox* lstDefinitionFile = nullptr;
    TPanel* pnlInfo = nullptr;

    // The index file: the program's path with the extension ".Datasheets".
    static String IndexFileName();
    // Fills the tree and the definition list; a missing index raises and changes nothing.
    void ReadIndex();
    // What a double click on the focused node opens.
    void OpenFocusedItem();
    void OpenItem(PLeanNode Item);
    void OpenDocGroup(PLeanNode Group, int Number, const String& ItemName);
    void OpenDocument(const String& Document, const String& ItemName, int Number);
    void ResizeEmbedded();
    void ShowTabInfo();
    tDocTreeClass* NodeRecord(PLeanNode Node) const;
    int TabNumber() const { return FTabNumber; }
    // The window handles of the viewers taken into tabs, as decimal text.
    TStringList* ExternalProgramHandles() const { return slExternalProgramHandles.get(); }
    // How long to look for a viewer's window: tries, each followed by a pause while it is missing.
    int WindowSearchTries = 10;
    int WindowSearchPause = 1000;

private:
    std::unique_ptr<TStringList> slExternalProgramHandles;
    std::vector<std::unique_ptr<TChildProcess>> FViewers;
    int FTabNumber = 1;
    int FHintTab = -1;
};
