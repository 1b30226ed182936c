#pragma once
// The dialog that edits one sketch's "Morvane.prj": board, processor, port number and baud
// rate. The boards come from the options, the processors from the Arduino package's board
// definitions.

#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TfrmEditConfiguration : public TForm {
    DECLARE_CLASS(TfrmEditConfiguration, TForm)
public:
    explicit TfrmEditConfiguration(TComponent* AOwner);
    ~TfrmEditConfiguration() override;

    TActionList* actlst1 = nullptr;
    TAction* actClose = nullptr;
    TAction* actSave = nullptr;
    TToolBar* tlb1 = nullptr;
    TToolButton* btnClose = nullptr;
    TToolButton* btnSave = nullptr;
    TLabel* lblProjectName = nullptr;
    TLabel* lblArduino = nullptr;
    TComboBox* cbbArduino = nullptr;
    TCheckBox* chkOnlySelected = nullptr;
    TLabel* lblCpu = nullptr;
    TComboBox* cbbCpu = nullptr;
    TLabel* lblComNr = nullptr;
    TSpinEdit* seComNr = nullptr;
    TButton* btnScanComPorts = nullptr;
    TLabel* lblBaudrate = nullptr;
    TComboBox* cbbBaudrate = nullptr;
    TLabel* lblCreated = nullptr;
    TLabel* lblLastEdited = nullptr;
    TStatusBar* statInfo = nullptr;

    // ProjectPath: the sketch folder with its trailing delimiter.
    void OpenConfigFile(const String& ProjectPath, const String& ProjectName);
    // Writes the file; false (after saying why) when it was not written.
    bool SaveConfiguration();
    // Closes the dialog, asking first when there are unsaved changes.
    void CloseConfiguration();
    void LoadCpuList(const String& InternalName);
    void FillBoardList(bool OnlySelected);

    bool ConfigModified() const { return FConfigModified; }
    void SetConfigModified(bool Value);
    // A save of this dialog created the file.
    bool NewConfigFile() const { return FNewConfigFile; }
    const String& FileName() const { return FPath; }

    // What the user's choices run.
    void cbbArduinoChange();
    void cbbCpuChange();
    void ScanComPorts();


private:
    std::unique_ptr<TStringList> slConfiguration;
    String LastSelectedCPU;
    String FPath;
    String FProjectName;
    String FCreated;
    String FLastEdited;
    bool FConfigModified = false;
    bool FNewConfigFile = false;
    bool NewConfig = false;
    // The board and processor in force that the board list cannot show (the file names a
    // board the options do not know, or the user's board left the list): a save writes them
    // back unless the user picks a board.
    String FKeptBoard;
    String FKeptCPU;

    void BoardWarning(const String& Name);
    // The processor and its caption show only for a board that has processors.
    void ShowCpu(bool Value);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
};
