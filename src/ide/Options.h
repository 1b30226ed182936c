#pragma once
// The options dialog. It is also where the IDE keeps its configuration while it runs: the
// Arduino folder, the sketch folder, the default new-sketch template, the boards of the Arduino
// package with those the user marked, and the viewer programs per file extension. It lives
// hidden from start-up to the end and keeps its settings in the program's ".opt" file.

#include "ide/DirIter.h"

#include "settings/KitAppIniStorage.h"
#include "settings/KitFormStorage.h"

#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class TfrmOptions : public TForm {
    DECLARE_CLASS(TfrmOptions, TForm)
public:
    explicit TfrmOptions(TComponent* AOwner);

    TPageControl* pgOptions = nullptr;
    TTabSheet* tsPaths = nullptr;
    TTabSheet* tsBoards = nullptr;
    TTabSheet* tsArduinoHelp = nullptr;
    TEdit* edPathToArduino = nullptr;
    TButton* btnArduinoPath = nullptr;
    TLabel* lblArduinoVersion = nullptr;
    TEdit* edPathToProjects = nullptr;
    TButton* btnProjectsPath = nullptr;
    TComboBox* cbbProjectTemplate = nullptr;
    TButton* btnLoadSketchTemplates = nullptr;
    TCheckListBox* clbBoards = nullptr;
    TListBox* lstSelectedBoards = nullptr;
    TButton* butClearList = nullptr;
    TMemo* mmoArduinoHelpExternalPrograms = nullptr;
    TButton* butClose = nullptr;
    TOpenDialog* dlgOpenArduino = nullptr;
    tDirIterator* diriterTemplates = nullptr;
    TKitAppIniFileStorage* appIniStor = nullptr;
    TKitFormStorage* fs1 = nullptr;

    String PathToArduino() const { return edPathToArduino->Text(); }
    // The board definition file of the Arduino folder.
    String BoardsFileName() const;
    // The processor choices boards.txt gives a board ("<board>.menu.cpu.<id>=…"), in file order;
    // none when the board has no processor menu or the file cannot be read.
    std::vector<String> BoardProcessors(const String& InternalName) const;
    String PathToProjects() const { return edPathToProjects->Text(); }
    // The selected template's name; "???" when none is selected.
    String DefaultSketchTemplate() const;

    // The live lists: the used boards, or every board of the package.
    TStrings* GetArduinoList(bool OnlySelected) const;
    String GetInternalArduinoName(const String& aUserfriendlyArduinoName) const;
    String GetUserFriendlyArduinoName(const String& aInternalArduinoName) const;
    // The viewer for an extension given without its dot (any case), with its window name and
    // parameters; empty when none is defined. Quotes written in the definition stay.
    String ExternalProgramForExtension(const String& Extension, String& ExtProgramWindowName,
                                       String& Params) const;

    // Fills the boards from the package's boards file and ticks the used ones.
    void LoadBoards();
    void ClearSelectedBoards();
    void LoadSketchTemplates();
    void ShowArduinoVersion();

private:
    std::unique_ptr<TStringList> slInternalArduinoNames;

    void FormCreate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void clbBoardsClickCheck(TObject* Sender);
    void btnArduinoPathClick(TObject* Sender);
    void btnProjectsPathClick(TObject* Sender);
};
