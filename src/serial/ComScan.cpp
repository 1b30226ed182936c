#include "serial/ComScan.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

void ScanComPorts(TSerComPort* Probe, const std::function<void(int ComNumber)>& Before,
                  const std::function<void(int ComNumber, bool Busy)>& Found) {
    for (int N = 1; N <= SerLastComNumber; ++N) {
        if (Before) Before(N);
        Probe->SetComNumber(static_cast<Word>(N));
        try {
            Probe->Open();
            Probe->Close();
            Found(N, false);
        } catch (const Exception& E) {
            if (Pos(u"Can't open device", E.Message()) > 0) Found(N, true);
        }
    }
}

String ComPortEntry(const String& EntryFormat, int ComNumber) {
    const String Device = SerialPortDeviceName(ComNumber);
    const String Entry = Format(EntryFormat, {ComNumber});
    return Device.empty() ? Entry : Entry + u"  (" + Device + u")";
}

int ComNumberOfEntry(const String& Entry) {
    const int At = Pos(u"COM ", Entry);
    if (At == 0) return 0;
    int I = At + 4, N = 0;
    bool Any = false;
    while (I <= Length(Entry) && Entry[static_cast<std::size_t>(I - 1)] == u' ')
        ++I;
    while (I <= Length(Entry) && Entry[static_cast<std::size_t>(I - 1)] >= u'0' &&
           Entry[static_cast<std::size_t>(I - 1)] <= u'9' && N < 100000) {
        N = N * 10 + (Entry[static_cast<std::size_t>(I - 1)] - u'0');
        Any = true;
        ++I;
    }
    return Any ? N : 0;
}

int IndexOfComPort(TStrings* Items, int ComNumber) {
    for (int I = 0; I < Items->Count(); ++I) {
        const String Entry = Items->Strings(I);
        if (!Entry.empty() && Entry[0] != u'-' && ComNumberOfEntry(Entry) == ComNumber) return I;
    }
    return -1;
}

// ---- Scan bar ----------------------------------------------------------------------------------

TfrmComScanBar::TfrmComScanBar(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmComScanBar");
        SetCaption(u"scanning ports ...");
        SetBorderStyle(Forms::bsSingle);
        SetColor(static_cast<TColor>(0x80FFFF));
        SetPosition(poOwnerFormCenter);
        SetClientWidth(260);
        SetClientHeight(40);
        pbPorts = new TProgressBar(this);
        pbPorts->SetName(u"pbPorts");
        pbPorts->SetParent(this);
        pbPorts->SetBounds(8, 10, 244, 20);
        pbPorts->SetMin(1);
        pbPorts->SetMax(SerLastComNumber);
        pbPorts->SetPosition(1);
    });
}

void TfrmComScanBar::SetProgress(int Progress) {
    pbPorts->SetPosition(Progress);
    pbPorts->Repaint();
}

// ---- Port picker -------------------------------------------------------------------------------

TfrmSelectComport::TfrmSelectComport(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmSelectComport");
        SetCaption(u"Select COM port");
        SetBorderStyle(Forms::bsToolWindow);
        SetBorderIcons(TBorderIcons{});
        SetKeyPreview(true);
        SetPosition(poOwnerFormCenter);
        SetClientWidth(128);
        SetClientHeight(192);
        lstComPorts = new TListBox(this);
        lstComPorts->SetName(u"lstComPorts");
        lstComPorts->SetParent(this);
        lstComPorts->SetAlign(alClient);
        lstComPorts->SetColor(clYellow);
        lstComPorts->OnDblClick = [this](TObject*) {
            if (lstComPorts->ItemIndex() >= 0) SetModalResult(mrOk);
        };
        comTest = new TSerComPort(this);
        comTest->SetName(u"comTest");
        OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
            if (Key == VK_ESCAPE) SetModalResult(mrCancel);
        };
        OnCreate = [this](TObject*) { ScanPorts(); };
    });
}

void TfrmSelectComport::ScanPorts() {
    lstComPorts->Items()->Clear();
    ScanComPorts(comTest, nullptr, [this](int N, bool Busy) {
        lstComPorts->Items()->Add(ComPortEntry(Busy ? u"- COM %d [open]" : u"COM %d", N));
    });
    // As wide as the longest entry needs, with the device beside each number.
    int Widest = 128;
    TBitmap Measure(1, 1);
    Measure.Canvas()->Font()->Assign(lstComPorts->Font());
    for (int I = 0; I < lstComPorts->Items()->Count(); ++I)
        Widest = std::max(Widest, Measure.Canvas()->TextWidth(lstComPorts->Items()->Strings(I)) + 12);
    SetClientWidth(std::min(Widest, 480));
}

int TfrmSelectComport::SelectedComPortNr() const {
    const int Index = lstComPorts->ItemIndex();
    if (Index < 0) return 0;
    const String Entry = lstComPorts->Items()->Strings(Index);
    if (Entry.empty() || Entry[0] == u'-') return 0;
    return ComNumberOfEntry(Entry);
}
