// The "Arduino" page of the editor area: the logo that wanders over the black page, the tool bar
// that starts the Arduino IDE and opens its language reference, and the IDE's own window taken
// into the page.

#include "ide/DMImages.h"
#include "ide/Main.h"
#include "ide/Options.h"
#include "ide/SndKey32.h"

#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/NativeWindow.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"
#include "platform/os/ChildProcess.h"
#include "platform/os/ForeignWindows.h"
#include "platform/os/ShellOpen.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The product's name on a band with a row of pins: the logo drawn here at its natural size.
void DrawLogo(TImage* Image) {
    TBitmap* B = Image->Picture()->Bitmap();
    B->SetSize(403, 73);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clBlack);
    C->FillRect(TRect(0, 0, 403, 73));
    C->Brush()->SetColor(RGB(0, 151, 157));
    C->Pen()->SetColor(RGB(0, 151, 157));
    C->RoundRect(2, 10, 401, 63, 18, 18);
    C->Brush()->SetColor(RGB(224, 248, 246));
    for (int X = 22; X < 390; X += 24) C->FillRect(TRect(X, 2, X + 10, 10));
    for (int X = 22; X < 390; X += 24) C->FillRect(TRect(X, 63, X + 10, 71));
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetName(u"Arial");
    C->Font()->SetHeight(-40);
    C->Font()->SetStyle(TFontStyles{fsBold});
    C->Font()->SetColor(clWhite);
    const String Name = u"MORVANE";
    const TSize Size = C->TextExtent(Name);
    C->TextOut((403 - Size.cx) / 2, (73 - Size.cy) / 2, Name);
}

} // namespace

void TfrmMain::SetUpArduinoPage() {
    tlb2 = MakeControl<TToolBar>(this, tsArduino, u"tlb2", alTop);
    tlb2->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
    tlb2->SetButtonWidth(31);
    tlb2->SetButtonHeight(30);
    tlb2->SetHeight(34);
    tlb2->SetShowHint(true);
    FillToolBar(tlb2, {u"actArduinoIdeOpen", u"actArduinoHelp", u"-"});
    pbMeter = new TProgressBar(this);
    pbMeter->SetName(u"pbMeter");
    pbMeter->SetWidth(362);
    pbMeter->SetVisible(false);
    pbMeter->SetParent(tlb2);

    shp1 = MakeControl<TShape>(this, tsArduino, u"shp1", alClient);
    shp1->Brush()->SetColor(clBlack);
    shp1->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
        tmrLogoMover->SetEnabled(!tmrLogoMover->Enabled());
    };
    imgLogo = MakeControl<TImage>(this, tsArduino, u"imgLogo", 118, 48, 403, 73);
    DrawLogo(imgLogo);
    // Clicks on the logo count as clicks on the black page.
    imgLogo->OnMouseUp = shp1->OnMouseUp;
    tmrLogoMover->OnTimer = [this](TObject*) { LogoTick(); };
    // The page settles its size after the window's own resize: the logo and the embedded IDE
    // follow the page.
    tsArduino->OnResize = [this](TObject*) {
        FitEmbeddedIde();
        PlaceLogo();
    };
    // An IDE sizes its window itself for a while after it shows it: the page's size is given
    // back to it until its window goes.
    tmrEmbeddedIdeFit = new TTimer(this);
    tmrEmbeddedIdeFit->SetName(u"tmrEmbeddedIdeFit");
    tmrEmbeddedIdeFit->SetEnabled(false);
    tmrEmbeddedIdeFit->SetInterval(500);
    tmrEmbeddedIdeFit->OnTimer = [this](TObject*) { FitEmbeddedIde(); };
}

void TfrmMain::FitEmbeddedIde() {
    if (!FExternalArduinoHandle) return;
    if (!ForeignWindowExists(FExternalArduinoHandle)) {
        if (tmrEmbeddedIdeFit) tmrEmbeddedIdeFit->SetEnabled(false);
        return;
    }
    const TRect Page(0, 0, tsArduino->ClientWidth(), tsArduino->ClientHeight());
    TRect Now;
    if (ForeignWindowBounds(FExternalArduinoHandle, Now) && Now == Page) return;
    MoveForeignWindow(FExternalArduinoHandle, Page.Left, Page.Top, Page.Width(), Page.Height());
}

void TfrmMain::PlaceLogo() {
    if (!imgLogo) return;
    if (LogoWidth == 0) LogoWidth = imgLogo->Width();
    if (LogoHeight == 0) LogoHeight = imgLogo->Height();
    const int W = tsArduino->Width();
    const int H = tsArduino->Height();
    if (LogoWidth < W && LogoHeight < H) {
        imgLogo->SetStretch(false);
        imgLogo->SetBounds((W - LogoWidth) / 2, (H - LogoHeight) / 2, LogoWidth, LogoHeight);
    } else {
        imgLogo->SetStretch(true);
        imgLogo->SetBounds(0, 0, W, H);
    }
}

void TfrmMain::LogoTick() {
    if (pgEdit->ActivePageIndex() != 0) return;
    const int W = tsArduino->Width();
    const int H = tsArduino->Height();
    if (LogoXDirection > 0 && imgLogo->Left() + imgLogo->Width() > W) {
        // Squeezed against the right edge down to half its width, then back.
        if (imgLogo->Width() > LogoWidth / 2) {
            imgLogo->SetStretch(true);
            imgLogo->SetWidth(imgLogo->Width() - 1);
        } else {
            LogoXDirection = -1;
        }
    } else if (LogoXDirection < 0) {
        if (imgLogo->Width() < LogoWidth)
            imgLogo->SetWidth(imgLogo->Width() + 1);
        else
            imgLogo->SetStretch(false);
        if (imgLogo->Left() <= 0) LogoXDirection = 1;
    }
    if (LogoYDirection > 0 && imgLogo->Top() + imgLogo->Height() > H)
        LogoYDirection = -1;
    else if (LogoYDirection < 0 && imgLogo->Top() < tlb2->Height())
        LogoYDirection = 1;
    imgLogo->SetBounds(imgLogo->Left() + LogoXDirection, imgLogo->Top() + LogoYDirection, imgLogo->Width(),
                       imgLogo->Height());
}

void TfrmMain::EmbedArduinoIde() {
    if (!CheckArduinoPath()) return;
    const String Program = BuilderProgram();
    const String Path = u"\"" + Program + u"\"";
    auto Ide = std::make_shared<TChildProcess>();
    const bool Started = Ide->Start({Program});
    if (Started) FArduinoIdes.push_back(Ide);
    pbMeter->SetMax(50);
    pbMeter->SetPosition(1);
    pbMeter->SetVisible(true);
    FExternalArduinoHandle = 0;
    for (int Round = 0; Round < ArduinoSearchRounds && Started; ++Round) {
        FExternalArduinoHandle = FindForeignWindow(ArduinoIdeWindowClass);
        if (FExternalArduinoHandle) break;
        // Nothing more can come from an IDE that ended before it showed its window.
        if (!Ide->GroupRunning()) break;
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ArduinoSearchPause);
        while (std::chrono::steady_clock::now() < Until) {
            Application->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pbMeter->StepBy(1);
        pbMeter->Repaint();
    }
    // Found, but our page has no window of the display's to take it into: as good as not found.
    const unsigned Host = FExternalArduinoHandle ? NativeWindowOf(tsArduino) : 0;
    if (FExternalArduinoHandle && Host && ReparentForeignWindow(FExternalArduinoHandle, Host)) {
        pgEdit->SetActivePage(tsArduino);
        // Sized to the page as it is taken in, so that it paints itself at its real size at once.
        FitEmbeddedIde();
        ShowForeignWindow(FExternalArduinoHandle, true);
        tmrEmbeddedIdeFit->SetEnabled(true);
    } else {
        FExternalArduinoHandle = 0;
        MessageBox(Handle(), u"Could not open the Arduino IDE\r\rPath:" + Path, u"Morvane", MB_ICONWARNING | MB_OK);
    }
    pbMeter->SetVisible(false);
    tmrLogoMover->SetEnabled(false);
}

namespace {

// Whether a window of the program's processes is on show at the top of the display (its own
// window, or a question it asks before it closes).
bool HasWindowOnShow(TChildProcess& Program) {
    const std::vector<int> Processes = Program.GroupProcesses();
    for (TForeignWindow W : ForeignTopLevelWindows()) {
        const int Pid = ForeignWindowProcess(W);
        if (Pid && std::find(Processes.begin(), Processes.end(), Pid) != Processes.end()) return true;
    }
    return false;
}

} // namespace

void TfrmMain::CloseEmbeddedIde() {
    if (tmrEmbeddedIdeFit) tmrEmbeddedIdeFit->SetEnabled(false);
    if (FExternalArduinoHandle && ForeignWindowExists(FExternalArduinoHandle))
        CloseForeignWindow(FExternalArduinoHandle);
    // The IDEs close themselves, asking about the user's unsaved sketches first. One that still
    // runs after the grace period with no window left (its window went with ours) would run on
    // unseen for ever: it is ended. One that still shows a window is left to the user.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ArduinoCloseGrace);
    auto AnyRunning = [this] {
        return std::any_of(FArduinoIdes.begin(), FArduinoIdes.end(), [](const auto& Ide) { return Ide->GroupRunning(); });
    };
    while (AnyRunning() && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& Ide : FArduinoIdes) {
        if (Ide->GroupRunning() && !HasWindowOnShow(*Ide))
            Ide->Terminate();
        else
            Ide->Detach();
    }
    FArduinoIdes.clear();
}

void TfrmMain::OpenArduinoReference() {
    if (ShellOpen(ArduinoReferenceAddress)) return;
    const String Reason = Utf8ToString(std::strerror(errno));
    MessageBox(Handle(), u"Cannot open \"" + ArduinoReferenceAddress + u"\" in the browser.\rxdg-open: " + Reason,
               u"Morvane", MB_ICONWARNING | MB_OK);
}

void TfrmMain::TestEmbeddedIde() {
    if (!FExternalArduinoHandle || !ForeignWindowExists(FExternalArduinoHandle)) return;
    ActivateWindow(FExternalArduinoHandle);
    SendKeyString(u"^r", true);
}
