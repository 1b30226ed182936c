#include "serial/CommConfigDialog.h"

#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"

#include <memory>

namespace {

const char16_t* const Rates[] = {u"110",   u"300",   u"600",    u"1200",   u"2400",   u"4800",
                                 u"9600",  u"14400", u"19200",  u"38400",  u"57600",  u"115200",
                                 u"128000", u"230400", u"256000", u"460800", u"921600"};
const char16_t* const ParityNames[] = {u"None", u"Odd", u"Even", u"Mark", u"Space"};
const char16_t* const StopBitNames[] = {u"1", u"1.5", u"2"};
const char16_t* const FlowNames[] = {u"None", u"Xon / Xoff", u"Hardware (RTS/CTS)", u"DTR/DSR"};
constexpr Cardinal FlowBits[] = {0, DCB_fOutX | DCB_fInX, DCB_fOutxCtsFlow | DCB_RtsControlHandshake,
                                 DCB_fOutxDsrFlow | DCB_DtrControlHandshake};
constexpr Cardinal AllFlowBits = FlowBits[1] | FlowBits[2] | FlowBits[3];

} // namespace

TfrmCommConfig::TfrmCommConfig(TComponent* AOwner, const String& PortCaption) : TForm(AOwner) {
    BuildForm([&] {
        SetName(u"frmCommConfig");
        SetCaption(PortCaption + u" properties");
        SetBorderStyle(Forms::bsDialog);
        SetBorderIcons(TBorderIcons{});
        SetPosition(poMainFormCenter);
        SetClientWidth(280);
        SetClientHeight(196);
        int Top = 12;
        auto Row = [&](const String& Name, const String& Caption, bool Editable) {
            auto* L = new TLabel(this);
            L->SetParent(this);
            L->SetBounds(12, Top + 3, 110, 15);
            L->SetCaption(Caption);
            auto* C = new TComboBox(this);
            C->SetName(Name);
            C->SetParent(this);
            C->SetStyle(Editable ? csDropDown : csDropDownList);
            C->SetBounds(128, Top, 140, 23);
            Top += 30;
            return C;
        };
        cbBaudRate = Row(u"cbBaudRate", u"Bits per second:", true);
        for (const char16_t* R : Rates)
            cbBaudRate->Items()->Add(R);
        cbDataBits = Row(u"cbDataBits", u"Data bits:", false);
        for (int Bits = 4; Bits <= 8; ++Bits)
            cbDataBits->Items()->Add(IntToStr(Bits));
        cbParity = Row(u"cbParity", u"Parity:", false);
        for (const char16_t* P : ParityNames)
            cbParity->Items()->Add(P);
        cbStopBits = Row(u"cbStopBits", u"Stop bits:", false);
        for (const char16_t* S : StopBitNames)
            cbStopBits->Items()->Add(S);
        cbFlowControl = Row(u"cbFlowControl", u"Flow control:", false);
        for (const char16_t* F : FlowNames)
            cbFlowControl->Items()->Add(F);
        btnOK = new TBitBtn(this);
        btnOK->SetName(u"btnOK");
        btnOK->SetParent(this);
        btnOK->SetKind(bkOK);
        btnOK->SetBounds(96, Top + 4, 84, 25);
        btnCancel = new TBitBtn(this);
        btnCancel->SetName(u"btnCancel");
        btnCancel->SetParent(this);
        btnCancel->SetKind(bkCancel);
        btnCancel->SetBounds(186, Top + 4, 84, 25);
    });
}

void TfrmCommConfig::SetDCB(const TDCB& Value) {
    FDCB = Value;
    cbBaudRate->SetText(IntToStr(static_cast<Int64>(Value.BaudRate)));
    cbDataBits->SetItemIndex(Value.ByteSize >= 4 && Value.ByteSize <= 8 ? Value.ByteSize - 4 : 4);
    cbParity->SetItemIndex(Value.Parity <= 4 ? Value.Parity : 0);
    cbStopBits->SetItemIndex(Value.StopBits <= 2 ? Value.StopBits : 0);
    int Flow = 0;
    for (int F : {3, 2, 1})
        if ((Value.Flags & FlowBits[F]) == FlowBits[F]) {
            Flow = F;
            break;
        }
    cbFlowControl->SetItemIndex(Flow);
}

bool TfrmCommConfig::GetDCB(TDCB& Value) const {
    const Int64 Rate = StrToInt64Def(Trim(cbBaudRate->Text()), 0);
    if (Rate <= 0 || Rate > 0x7FFFFFFF) {
        Value = FDCB;
        return false;
    }
    Value = FDCB;
    Value.BaudRate = static_cast<Cardinal>(Rate);
    Value.ByteSize = static_cast<Byte>(std::max(cbDataBits->ItemIndex(), 0) + 4);
    Value.Parity = static_cast<Byte>(std::max(cbParity->ItemIndex(), 0));
    Value.StopBits = static_cast<Byte>(std::max(cbStopBits->ItemIndex(), 0));
    // The lines that a handshake took over go back to plain "on" when it is given up.
    const Cardinal OldFlow = Value.Flags & AllFlowBits;
    Value.Flags &= ~AllFlowBits;
    if (OldFlow & DCB_RtsControlHandshake) Value.Flags |= DCB_RtsControlEnable;
    if (OldFlow & DCB_DtrControlHandshake) Value.Flags |= DCB_DtrControlEnable;
    const int Flow = std::max(cbFlowControl->ItemIndex(), 0);
    Value.Flags |= FlowBits[Flow];
    if (Flow == 2) Value.Flags &= ~DCB_RtsControlEnable;
    if (Flow == 3) Value.Flags &= ~DCB_DtrControlEnable;
    return true;
}

bool ExecuteCommConfigDialog(const String& PortCaption, TDCB& DCB) {
    std::unique_ptr<TfrmCommConfig> Form(new TfrmCommConfig(nullptr, PortCaption));
    Form->SetDCB(DCB);
    for (;;) {
        if (Form->ShowModal() != mrOk) return false;
        if (Form->GetDCB(DCB)) return true;
        MessageDlg(u"The baud rate must be a positive whole number.", mtError, TMsgDlgButtons{mbOK}, 0);
    }
}
