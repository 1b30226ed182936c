#include "serial/ComScan.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"
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
        lstComPorts->Items()->Add(Busy ? Format(u"- COM %d [open]", {N}) : Format(u"COM %d", {N}));
    });
}

int TfrmSelectComport::SelectedComPortNr() const {
    const int Index = lstComPorts->ItemIndex();
    if (Index < 0) return 0;
    const String Entry = lstComPorts->Items()->Strings(Index);
    if (Entry.empty() || Entry[0] == u'-') return 0;
    return StrToIntDef(Trim(Copy(Entry, 4, Length(Entry))), 0);
}
