#include "settings/KitPlacement.h"

#include "settings/UtilConvert.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

namespace {

const String ShowCmdKey = u"ShowCmd";
const String FlagsKey = u"Flags";
const String PixelsKey = u"PixelsPerInch";
const String MinMaxPosKey = u"MinMaxPos";
const String NormPosKey = u"NormPos";
const String WordDelims = u", ";

bool OnlyActiveControl(TPlacementOptions Options) {
    return Options == TPlacementOptions{fpActiveControl};
}

bool IsMainForm(TCustomForm* Form) {
    return Application && Application->MainForm() == Form;
}

bool NoMainFormOrIs(TCustomForm* Form) {
    return !Application || !Application->MainForm() || Application->MainForm() == Form;
}

// Word N of a position text as a number; Default when missing or not numeric.
int WordValue(const String& Text, int N, int Default) {
    return StrToIntDef(WordAt(N, Text, WordDelims), Default);
}

String PositionText(int A, int B, int C, int D) {
    return Format(u"%d,%d,%d,%d", {A, B, C, D});
}

} // namespace

String ScreenSizeSuffix() {
    return Format(u"(%dx%d)", {Screen->Width(), Screen->Height()});
}

void WriteScreenValue(TKitCustomAppStorage* Store, const String& KeyPath, const String& Text) {
    Store->WriteString(KeyPath + ScreenSizeSuffix(), Text);
    Store->WriteString(KeyPath, Text);
}

String ReadScreenValue(TKitCustomAppStorage* Store, const String& KeyPath) {
    const String Suffixed = KeyPath + ScreenSizeSuffix();
    return Store->ReadString(Store->ValueStored(Suffixed) ? Suffixed : KeyPath, String());
}

void SetPositionSilently(TCustomForm* Form, TPosition Value) {
    const TComponentState Old = Form->ComponentState();
    TComponentState Designing = Old;
    Designing.Include(csDesigning);
    Form->SetComponentState(Designing);
    TScopeExit Restore([&] { Form->SetComponentState(Old); });
    Form->SetPosition(Value);
}

void WriteFormPlacementValues(TCustomForm* Form, TKitCustomAppStorage* Store, const String& Path,
                              TPlacementOptions Options) {
    if (OnlyActiveControl(Options) || !Form || !Store) return;
    TWindowPlacement Placement;
    GetWindowPlacement(Form->Handle(), &Placement);
    if (IsMainForm(Form) && IsApplicationIconic()) Placement.showCmd = SW_SHOWMINIMIZED;
    if (Form->FormStyle() == fsMDIChild && Form->WindowState() == wsMinimized)
        Placement.flags |= WPF_SETMINPOSITION;
    auto Key = [&](const String& Name) { return TKitCustomAppStorage::ConcatPaths({Path, Name}); };
    if (Options.Contains(fpState)) Store->WriteInteger(Key(ShowCmdKey), static_cast<int>(Placement.showCmd));
    if (!Options.Contains(fpSize) && !Options.Contains(fpLocation)) return;
    Store->WriteInteger(Key(FlagsKey), static_cast<int>(Placement.flags));
    Store->WriteInteger(Key(PixelsKey), Screen->PixelsPerInch());
    WriteScreenValue(Store, Key(MinMaxPosKey),
                     PositionText(Placement.ptMinPosition.X, Placement.ptMinPosition.Y,
                                  Placement.ptMaxPosition.X, Placement.ptMaxPosition.Y));
    const TRect& R = Placement.rcNormalPosition;
    WriteScreenValue(Store, Key(NormPosKey), PositionText(R.Left, R.Top, R.Right, R.Bottom));
}

void ReadFormPlacementValues(TCustomForm* Form, TKitCustomAppStorage* Store, const String& Path,
                             TPlacementOptions Options) {
    if (OnlyActiveControl(Options) || !Form || !Store) return;
    auto Key = [&](const String& Name) { return TKitCustomAppStorage::ConcatPaths({Path, Name}); };
    TWindowPlacement Placement;
    GetWindowPlacement(Form->Handle(), &Placement);
    // Applying the record must not show a hidden window.
    if (!IsWindowVisible(Form->Handle())) Placement.showCmd = SW_HIDE;

    const bool Size = Options.Contains(fpSize), Location = Options.Contains(fpLocation);
    if (Size || Location) {
        bool Found = false;
        Placement.flags =
            static_cast<UINT>(Store->ReadInteger(Key(FlagsKey), static_cast<int>(Placement.flags)));
        const String MinMax = ReadScreenValue(Store, Key(MinMaxPosKey));
        if (!MinMax.empty()) {
            Found = true;
            if (Location) Placement.ptMinPosition = {WordValue(MinMax, 1, 0), WordValue(MinMax, 2, 0)};
            if (Size) Placement.ptMaxPosition = {WordValue(MinMax, 3, 0), WordValue(MinMax, 4, 0)};
        }
        const String Norm = ReadScreenValue(Store, Key(NormPosKey));
        TRect& R = Placement.rcNormalPosition;
        if (!Norm.empty()) {
            Found = true;
            R.Left = Location ? WordValue(Norm, 1, Form->Left()) : Form->Left();
            R.Top = Location ? WordValue(Norm, 2, Form->Top()) : Form->Top();
            if (Size) {
                // The stored size moves with the new left and top.
                R.Right = R.Left + WordValue(Norm, 3, Form->Width()) - WordValue(Norm, 1, Form->Left());
                R.Bottom = R.Top + WordValue(Norm, 4, Form->Height()) - WordValue(Norm, 2, Form->Top());
            } else {
                R.Right = R.Left + Form->Width();
                R.Bottom = R.Top + Form->Height();
            }
        }
        if (Found)
            Found = Store->ReadInteger(Key(PixelsKey), Screen->PixelsPerInch()) == Screen->PixelsPerInch();
        if (Found && R.Left < R.Right) {
            if (!Form->ComponentState().Contains(csDesigning)) {
                const TPosition P = Form->Position();
                if (Size && Location)
                    SetPositionSilently(Form, poDesigned);
                else if (Location) {
                    if (P == poDefault)
                        SetPositionSilently(Form, poDefaultSizeOnly);
                    else if (P != poDesigned)
                        SetPositionSilently(Form, poDesigned);
                } else if (P == poDefault)
                    SetPositionSilently(Form, poDefaultPosOnly);
            }
            SetWindowPlacement(Form->Handle(), &Placement);
        }
    }

    if (Options.Contains(fpState)) {
        TWindowState State = wsNormal;
        if (NoMainFormOrIs(Form) && (Form->FormStyle() == fsMDIForm ||
                                     (Form->FormStyle() == fsNormal && Form->Position() == poDefault)))
            State = wsMaximized;
        switch (Store->ReadInteger(Key(ShowCmdKey), 0)) {
        case SW_SHOWNORMAL:
        case SW_SHOW:
        case SW_RESTORE:
            State = wsNormal;
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            State = wsMinimized;
            break;
        case SW_SHOWMAXIMIZED:
            State = wsMaximized;
            break;
        default:
            break;
        }
        if (State == wsMinimized && NoMainFormOrIs(Form)) {
            // The main form minimises the whole program, as its task-bar button does.
            Form->SetWindowState(wsNormal);
            PostMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
        Form->SetWindowState(State);
    }
    Form->Update();
}
