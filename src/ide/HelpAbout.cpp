#include "ide/HelpAbout.h"

#include "settings/UtilVersionInfo.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/VersionRecord.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"
#include "platform/os/ShellOpen.h"

namespace {

TLabel* MakeLabel(TfrmHelpAbout* Form, const String& Name, const String& Caption, int Top, int Size,
                  TFontStyles Style, TColor Color) {
    TLabel* L = new TLabel(Form);
    L->SetName(Name);
    L->SetParent(Form);
    L->SetAutoSize(false);
    L->SetBounds(8, Top, 438, Size * 2 + 4);
    L->SetAlignment(taCenter);
    L->SetTransparent(true);
    L->SetCaption(Caption);
    L->Font()->SetName(u"Comic Sans MS");
    L->Font()->SetSize(Size);
    L->Font()->SetStyle(Style);
    L->Font()->SetColor(Color);
    return L;
}

// The product logo: the name on a light band with a row of pin marks, drawn here.
void DrawLogo(TImage* Image) {
    TBitmap* B = Image->Picture()->Bitmap();
    B->SetSize(Image->Width(), Image->Height());
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clTeal);
    C->FillRect(TRect(0, 0, B->Width(), B->Height()));
    C->Brush()->SetColor(RGB(224, 248, 246));
    C->Pen()->SetColor(RGB(28, 189, 185));
    C->RoundRect(2, 2, B->Width() - 2, B->Height() - 2, 24, 24);
    C->Brush()->SetColor(RGB(28, 120, 118));
    for (int X = 20; X < B->Width() - 20; X += 24)
        C->FillRect(TRect(X, B->Height() - 14, X + 10, B->Height() - 6));
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetName(u"Comic Sans MS");
    C->Font()->SetSize(28);
    C->Font()->SetStyle(TFontStyles{fsBold});
    C->Font()->SetColor(RGB(0, 96, 96));
    const String Name = u"Morvane";
    const TSize Extent = C->TextExtent(Name);
    C->TextOut((B->Width() - Extent.cx) / 2, (B->Height() - 14 - Extent.cy) / 2, Name);
}

// The second picture: a board's round mark.
void DrawMark(TImage* Image) {
    TBitmap* B = Image->Picture()->Bitmap();
    B->SetSize(Image->Width(), Image->Height());
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clTeal);
    C->FillRect(TRect(0, 0, B->Width(), B->Height()));
    C->Brush()->SetColor(RGB(33, 222, 218));
    C->Pen()->SetColor(clWhite);
    C->Ellipse(2, 2, B->Width() - 2, B->Height() - 2);
    C->Brush()->SetColor(clTeal);
    C->Ellipse(14, 14, B->Width() - 14, B->Height() - 14);
}

} // namespace

TfrmHelpAbout::TfrmHelpAbout(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmHelpAbout");
        SetBorderStyle(Forms::bsNone);
        SetBorderIcons(TBorderIcons{});
        SetCaption(u"Morvane - Editor for Arduino projects");
        SetClientWidth(454);
        SetClientHeight(285);
        SetColor(clTeal);
        SetPosition(poMainFormCenter);
        SetKeyPreview(true);
        SetHint(u"Click or ESC to close");
        SetShowHint(true);

        img1 = new TImage(this);
        img1->SetName(u"img1");
        img1->SetParent(this);
        img1->SetBounds(24, 8, 405, 81);
        lbl1 = MakeLabel(this, u"lbl1", u"Free editor and IDE for Arduino / Genuino", 96, 14,
                         TFontStyles{fsBold}, RGB(33, 222, 218));
        lblVersion = MakeLabel(this, u"lblVersion", u"", 130, 14, TFontStyles{fsBold}, RGB(28, 189, 185));
        lblWeb = MakeLabel(this, u"lblWeb", WebPage, 166, 12, TFontStyles{fsBold, fsUnderline}, clWhite);
        lblWeb->SetCursor(crHandPoint);
        lblWeb->SetHint(u"Double click to open web page");
        lbl2 = MakeLabel(this, u"lbl2", u"(c) the Morvane developers", 198, 12,
                         TFontStyles{fsBold, fsUnderline}, clWhite);
        lbl2->SetCursor(crHandPoint);
        lbl3 =
            MakeLabel(this, u"lbl3", u"used components: CodeEdit, LeanTree", 232, 10, TFontStyles{}, clWhite);
        img2 = new TImage(this);
        img2->SetName(u"img2");
        img2->SetParent(this);
        img2->SetBounds(405, 236, 41, 41);

        const TNotifyEvent Close = [this](TObject* Sender) { CloseClick(Sender); };
        OnClick = Close;
        img1->OnClick = Close;
        lbl1->OnClick = Close;
        lbl3->OnClick = Close;
        lblWeb->OnDblClick = [](TObject*) { ShellOpen(WebPage); };
        lbl2->OnDblClick = [](TObject*) { ShellOpen(MakerPage); };
        OnKeyDown = [this](TObject* Sender, Word& Key, TShiftState Shift) {
            FormKeyDown(Sender, Key, Shift);
        };
        OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    });
}

void TfrmHelpAbout::FormCreate(TObject*) {
    lblVersion->SetCaption(u"ver. " + ProductVersionText(ProgramFile()));
    SetWindowRgn(Handle(), CreateRoundRectRgn(0, 0, ClientWidth(), ClientHeight(), 60, 60), true);
    // Where the named face is missing its stand-in may be wider: such a line gets a smaller size
    // rather than losing its ends.
    TBitmap Measure;
    for (TLabel* L : {lbl1, lblVersion, lblWeb, lbl2, lbl3}) {
        Measure.Canvas()->Font()->Assign(L->Font());
        while (Measure.Canvas()->Font()->Size() > 6 && Measure.Canvas()->TextWidth(L->Caption()) > L->Width())
            Measure.Canvas()->Font()->SetSize(Measure.Canvas()->Font()->Size() - 1);
        L->Font()->SetSize(Measure.Canvas()->Font()->Size());
    }
    DrawLogo(img1);
    DrawMark(img2);
}

void TfrmHelpAbout::CloseClick(TObject*) {
    Close();
}

void TfrmHelpAbout::FormKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key == VK_ESCAPE) {
        Key = 0;
        Close();
    }
}

bool SelectFolder(String& Folder) {
    String Directory = Folder;
    while (Directory.size() > 1 && Directory.back() == PathDelim)
        Directory.pop_back();
    if (!SelectDirectory(u"Chose a folder", String(), Directory)) return false;
    Folder = IncludeTrailingPathDelimiter(Directory);
    return true;
}

// The programs run where a current system of their home platform would report 10.0; the
// options dialog only asks whether the code is above 599, and here both answers lead to the
// same Arduino folder.
int WindowsVersionCode() {
    return 1000;
}

String ProductVersionText(const String& FileName) {
    std::optional<AnsiString> Record;
    try {
        Record = ReadVersionRecord(FileName);
    } catch (const EOSError& E) {
        return E.Message();
    }
    if (!Record) return u"The specified resource type cannot be found in the image file.";
    try {
        const auto Info = TUtilFileVersionInfo::Attach(Record->data(), static_cast<int>(Record->size()));
        const TVSFixedFileInfo& Fixed = Info->FixedInfo();
        // Zero padding needs the precision form: a width only pads with blanks.
        return Format(u"%d.%.2d.%.2d.%.2d",
                      {int(Fixed.dwProductVersionMS >> 16), int(Fixed.dwProductVersionMS & 0xFFFF),
                       int(Fixed.dwProductVersionLS >> 16), int(Fixed.dwProductVersionLS & 0xFFFF)});
    } catch (const Exception&) {
        return u"???";
    }
}
