#include "platform/gui/Dialogs.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"

// ---- TCommonDialog ----------------------------------------------------------------------------

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TCommonDialog::Published(TPublisher<TCommonDialog>& P) {
    P.Property(u"HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext).Default(0);
    P.Property(u"OnShow", &TCommonDialog::OnShow);
    P.Property(u"OnClose", &TCommonDialog::OnClose);
}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

TQuestion TCommonDialog::NewQuestion(TQuestionKind Kind, const String& Caption) {
    TQuestion Q;
    Q.Kind = Kind;
    Q.Caption = Caption;
    Q.HelpContext = FHelpContext;
    Q.Dialog = this;
    return Q;
}

// ---- TOpenDialog ------------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Published(TPublisher<TOpenDialog>& P) {
    P.Property(u"DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    P.Property(u"FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    P.Property(u"Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    P.Property(u"FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
    P.Property(u"InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    P.Property(u"Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
        .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
    P.Property(u"Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
    P.Property(u"OnCanClose", &TOpenDialog::OnCanClose);
}

bool TOpenDialog::DoCanClose() {
    bool CanClose = true;
    if (OnCanClose) OnCanClose(this, CanClose);
    return CanClose;
}

bool TOpenDialog::Execute() {
    // A choice that OnCanClose refused does not stay when the user cancels afterwards.
    const String OldFileName = FFileName;
    const int OldFilterIndex = FFilterIndex;
    TStringList OldFiles;
    OldFiles.Assign(FFiles.get());
    return Asked([&] {
        TQuestion Q = NewQuestion(Kind(), FTitle);
        Q.FileName = FFileName;
        Q.Filter = FFilter;
        Q.FilterIndex = FFilterIndex;
        Q.InitialDir = FInitialDir;
        Q.DefaultExt = FDefaultExt;
        Q.Options = FOptions;
        while (true) {
            const TAnswer A = AskQuestion(Q);
            std::vector<String> Files = A.Files;
            if (Files.empty() && !A.FileName.empty()) Files.push_back(A.FileName);
            if (A.Result != mrOk || Files.empty()) {
                FFileName = OldFileName;
                FFilterIndex = OldFilterIndex;
                FFiles->Assign(&OldFiles);
                return false;
            }
            if (!FOptions.Contains(ofAllowMultiSelect)) Files.resize(1);
            FFiles->BeginUpdate();
            FFiles->Clear();
            for (String& F : Files) {
                if (!FDefaultExt.empty() && ExtractFileExt(F).empty()) F += u"." + FDefaultExt;
                FFiles->Add(F);
            }
            FFiles->EndUpdate();
            FFileName = Files.front();
            FFilterIndex = A.FilterIndex;
            if (DoCanClose()) return true;
            Q.FileName = FFileName;
            Q.FilterIndex = FFilterIndex;
        }
    });
}

// ---- Folders ----------------------------------------------------------------------------------

namespace {

bool AskDirectory(TQuestion Q, String& Directory) {
    Q.Directory = Directory;
    const TAnswer A = AskQuestion(Q);
    if (A.Result != mrOk || A.Directory.empty()) return false;
    Directory = ExcludeTrailingPathDelimiter(A.Directory);
    return true;
}

} // namespace

bool SelectDirectory(const String& Caption, const String& Root, String& Directory) {
    TQuestion Q;
    Q.Kind = qkSelectDirectory;
    Q.Caption = Caption;
    Q.Root = Root;
    return AskDirectory(Q, Directory);
}

void TSelectDirectoryDialog::Published(TPublisher<TSelectDirectoryDialog>& P) {
    P.Property(u"Title", &TSelectDirectoryDialog::Title, &TSelectDirectoryDialog::SetTitle);
    P.Property(u"Root", &TSelectDirectoryDialog::Root, &TSelectDirectoryDialog::SetRoot);
    P.Property(u"Directory", &TSelectDirectoryDialog::Directory, &TSelectDirectoryDialog::SetDirectory);
}

bool TSelectDirectoryDialog::Execute() {
    return Asked([&] {
        TQuestion Q = NewQuestion(qkSelectDirectory, FTitle);
        Q.Root = FRoot;
        return AskDirectory(Q, FDirectory);
    });
}

// ---- TColorDialog -----------------------------------------------------------------------------

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::Published(TPublisher<TColorDialog>& P) {
    P.Property(u"Color", &TColorDialog::Color, &TColorDialog::SetColor).As(ColorTypeInfo()).Default(clBlack);
    P.Property(u"CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
    P.Property(u"Options", &TColorDialog::Options, &TColorDialog::SetOptions).Default(TColorDialogOptions());
}

namespace {

constexpr int CustomColorCount = 16;

String CustomColorName(int Index) {
    return u"Color" + String(1, Char(u'A' + Index));
}

} // namespace

bool TColorDialog::Execute() {
    return Asked([&] {
        TQuestion Q = NewQuestion(qkColorDialog, String());
        Q.Color = static_cast<TColor>(ColorToRGB(FColor));
        Q.ColorOptions = FOptions;
        for (int I = 0; I < CustomColorCount; ++I) {
            int Value = 0;
            const String Text = FCustomColors->Values(CustomColorName(I));
            Q.CustomColors.push_back(TryStrToInt(u"$" + Text, Value) && !Text.empty() ? Value & 0xFFFFFF
                                                                                      : clWhite);
        }
        const TAnswer A = AskQuestion(Q);
        if (A.Result != mrOk) return false;
        FColor = A.Color;
        FCustomColors->BeginUpdate();
        FCustomColors->Clear();
        for (int I = 0; I < CustomColorCount; ++I) {
            const int Value = I < int(A.CustomColors.size()) ? A.CustomColors[I] : clWhite;
            FCustomColors->Add(CustomColorName(I) + u"=" + IntToHex(Value & 0xFFFFFF, 6));
        }
        FCustomColors->EndUpdate();
        return true;
    });
}

// ---- TFontDialog ------------------------------------------------------------------------------

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

void TFontDialog::Published(TPublisher<TFontDialog>& P) {
    P.Property(u"Font", &TFontDialog::Font, &TFontDialog::SetFont);
    P.Property(u"Options", &TFontDialog::Options, &TFontDialog::SetOptions)
        .Default(TFontDialogOptions{fdEffects});
    P.Property(u"MinFontSize", &TFontDialog::MinFontSize, &TFontDialog::SetMinFontSize).Default(0);
    P.Property(u"MaxFontSize", &TFontDialog::MaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
}

bool TFontDialog::Execute() {
    return Asked([&] {
        TQuestion Q = NewQuestion(qkFontDialog, String());
        Q.Font.Name = FFont->Name();
        Q.Font.Size = FFont->Size();
        Q.Font.Color = FFont->Color();
        Q.Font.Charset = FFont->Charset();
        Q.Font.Pitch = FFont->Pitch();
        Q.Font.Bold = FFont->Style().Contains(fsBold);
        Q.Font.Italic = FFont->Style().Contains(fsItalic);
        Q.Font.Underline = FFont->Style().Contains(fsUnderline);
        Q.Font.StrikeOut = FFont->Style().Contains(fsStrikeOut);
        Q.FontOptions = FOptions;
        if (FOptions.Contains(fdLimitSize)) {
            Q.MinFontSize = FMinFontSize;
            Q.MaxFontSize = FMaxFontSize;
        }
        const TAnswer A = AskQuestion(Q);
        if (A.Result != mrOk) return false;
        TFontStyles Style;
        if (A.Font.Bold) Style.Include(fsBold);
        if (A.Font.Italic) Style.Include(fsItalic);
        if (A.Font.Underline) Style.Include(fsUnderline);
        if (A.Font.StrikeOut) Style.Include(fsStrikeOut);
        FFont->SetName(A.Font.Name);
        if (A.Font.Size > 0) FFont->SetSize(A.Font.Size);
        FFont->SetStyle(Style);
        FFont->SetCharset(A.Font.Charset);
        FFont->SetPitch(TFontPitch(A.Font.Pitch));
        if (FOptions.Contains(fdEffects)) FFont->SetColor(A.Font.Color);
        return true;
    });
}

// ---- Printing ---------------------------------------------------------------------------------

void TPrintDialog::Published(TPublisher<TPrintDialog>& P) {
    P.Property(u"Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate).Default(false);
    P.Property(u"Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies).Default(0);
    P.Property(u"FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage).Default(0);
    P.Property(u"MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage).Default(0);
    P.Property(u"MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage).Default(0);
    P.Property(u"Options", &TPrintDialog::Options, &TPrintDialog::SetOptions).Default(TPrintDialogOptions());
    P.Property(u"PrintToFile", &TPrintDialog::PrintToFile, &TPrintDialog::SetPrintToFile).Default(false);
    P.Property(u"PrintRange", &TPrintDialog::PrintRange, &TPrintDialog::SetPrintRange).Default(prAllPages);
    P.Property(u"ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage).Default(0);
}

bool TPrintDialog::Execute() {
    return Asked([&] {
        TQuestion Q = NewQuestion(qkPrintDialog, String());
        Q.Print.Copies = FCopies > 0 ? FCopies : 1;
        Q.Print.Collate = FCollate;
        Q.Print.PrintRange = FPrintRange;
        Q.Print.FromPage = FFromPage;
        Q.Print.ToPage = FToPage;
        Q.Print.MinPage = FMinPage;
        Q.Print.MaxPage = FMaxPage;
        Q.Print.PrintToFile = FPrintToFile;
        Q.PrintOptions = FOptions;
        const TAnswer A = AskQuestion(Q);
        if (A.Result != mrOk) return false;
        FCopies = A.Print.Copies;
        FCollate = A.Print.Collate;
        FPrintRange = A.Print.PrintRange;
        FFromPage = A.Print.FromPage;
        FToPage = A.Print.ToPage;
        FPrintToFile = A.Print.PrintToFile;
        return true;
    });
}

bool TPrinterSetupDialog::Execute() {
    return Asked([&] { return AskQuestion(NewQuestion(qkPrinterSetupDialog, String())).Result == mrOk; });
}
