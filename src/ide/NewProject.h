#pragma once
// The dialog that makes a new sketch: a parent folder picked in a tree of the projects folder
// (new folders can be made there), a sketch template, and the project's name. The sketch folder
// and its main file are made from the template or a built-in skeleton. In copy mode the files of
// an existing sketch are copied into the new folder instead, its main file renamed.

#include "ide/DirIter.h"
#include "ide/MyObjects.h"

#include "tree/LeanStringTree.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmNewProject : public TForm {
    DECLARE_CLASS(TfrmNewProject, TForm)
public:
    explicit TfrmNewProject(TComponent* AOwner);

    TLabel* lbl1 = nullptr;
    TToolBar* tlb1 = nullptr;
    TToolButton* btnNewFolder = nullptr;
    TToolButton* btnAddDir = nullptr;
    TLabel* lblTemplate = nullptr;
    TComboBox* cbbProjectTemplate = nullptr;
    TToolButton* btnExit = nullptr;
    TLeanStringTree* vstDirs = nullptr;
    TStatusBar* statInfo = nullptr;
    TActionList* actlst1 = nullptr;
    TAction* actNewFolder = nullptr;
    TAction* actAddNewProject = nullptr;
    TAction* actExit = nullptr;
    tDirIterator* diriterSketches = nullptr;
    tDirIterator* diriterTemplates = nullptr;
    tDirIterator* diriterCopy = nullptr;

    // The new sketch folder, with a trailing delimiter.
    const String& NewFolderPath() const { return FNewFolderPath; }
    // The new main file's name: the project name and ".ino".
    const String& NewProjectName() const { return FNewProjectName; }
    // The main file of the sketch to copy; setting it switches the dialog to copy mode.
    void SetSourceProjectName(const String& Value);
    bool CopyMode() const { return FCopyMode; }

    // A name a folder can be given here and on every system the sketches may travel to.
    static bool IsValidFolderName(const String& Name);
    // The sketch a new project starts with when no template file is there.
    static void WriteSkeleton(TStrings* Lines, const String& ProjectName);

    void LoadFolderTree();
    void LoadTemplates();
    // The two creating actions: a plain folder stays in the dialog, a project closes it with OK.
    void CreateFolder(bool Project);
    // The node of the folder Path, or none.
    PLeanNode FindFolderNode(const String& Caption, const String& Path);

private:
    PLeanNode RootNode = nullptr;
    PLeanNode LastSketchNode = nullptr;
    String FNewFolderPath;
    String FNewProjectName;
    String FSourceProjectName;
    bool FCopyMode = false;
    // A sketch folder whose subfolders the walk leaves out of the tree.
    String FSkippedSketch;

    void AddFolder(const String& Path, const String& RelPath, int Level);
    void ShowNodePath(PLeanNode Node);
    void WriteNewSketch();
    void CopySketch();
};
