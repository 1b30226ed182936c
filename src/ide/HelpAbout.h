#pragma once
// The about box, and three small helpers: a folder chooser, the system's version as a number
// and a program file's product version as text.

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmHelpAbout : public TForm {
    DECLARE_CLASS(TfrmHelpAbout, TForm)
public:
    explicit TfrmHelpAbout(TComponent* AOwner);

    TImage* img1 = nullptr;
    TLabel* lbl1 = nullptr;
    TLabel* lblVersion = nullptr;
    TLabel* lblWeb = nullptr;
    TLabel* lbl2 = nullptr;
    TLabel* lbl3 = nullptr;
    TImage* img2 = nullptr;

    // What a double click on lblWeb and lbl2 opens in the user's browser.
    static constexpr const char16_t* WebPage = u"https://morvane.example.org/";
    static constexpr const char16_t* MakerPage = u"https://morvane.example.org/about.html";

private:
    void FormCreate(TObject* Sender);
    void CloseClick(TObject* Sender);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
};

// Lets the user pick a folder, starting in Folder. True and Folder replaced by the chosen
// folder with a trailing PathDelim when confirmed; false and Folder unchanged otherwise.
bool SelectFolder(String& Folder);

// The system's major version * 100 + its minor version, as the options dialog weighs it.
int WindowsVersionCode();

// The product version of a program file's version record as "%d.%02d.%02d.%02d"; the system's
// message when the file cannot be read or has no record; "???" when the record is damaged.
String ProductVersionText(const String& FileName);
