// The real dialogs behind the question service.
#include "platform/gui/QuestionsQt.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <map>

using namespace Services;

QStringList Services::DialogNameFilters(const String& Filter) {
    QStringList Parts = ToQString(Filter).split(u'|');
    QStringList Result;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        QStringList Patterns;
        for (const QString& P : Parts[I + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString Pattern = P.trimmed();
            if (Pattern.isEmpty()) continue;
            Patterns << (Pattern == u"*.*" ? QStringLiteral("*") : Pattern);
        }
        if (Patterns.isEmpty()) Patterns << QStringLiteral("*");
        Result << Parts[I] + QStringLiteral(" (") + Patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return Result;
}

namespace {

QColor ToQColor(int Color) {
    // Only the RGB bytes: system colours never reach the colour dialog.
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

int FromQColor(const QColor& C) {
    return C.red() | (C.green() << 8) | (C.blue() << 16);
}

TAnswer Cancelled() {
    TAnswer A;
    A.Result = mrCancel;
    return A;
}

TAnswer ShowMessageBox(const TQuestion& Q) {
    QMessageBox Box(QuestionParent(Q.OwnerHandle));
    Box.setWindowTitle(ToQString(Q.Caption));
    Box.setText(ToQString(Q.Text));
    static const QMessageBox::Icon Icons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                              QMessageBox::Information, QMessageBox::Question,
                                              QMessageBox::NoIcon};
    Box.setIcon(Icons[Q.Icon]);
    std::map<QAbstractButton*, int> Results;
    for (const TQuestionButton& B : Q.Buttons) {
        if (B.Result == mrNone) continue; // help: there is no help to show
        // One role for all keeps the buttons in the order given.
        QPushButton* Button = Box.addButton(ToQString(B.Caption), QMessageBox::ActionRole);
        Results[Button] = B.Result;
        if (B.Result == Q.DefaultResult) Box.setDefaultButton(Button);
        if (B.Result == Q.CancelResult) Box.setEscapeButton(Button);
    }
    if (Q.X >= 0 && Q.Y >= 0) Box.move(Q.X, Q.Y);
    Box.exec();
    TAnswer A;
    auto It = Results.find(Box.clickedButton());
    A.Result = It != Results.end() ? It->second : Q.CancelResult ? Q.CancelResult : Q.DefaultResult;
    return A;
}

TAnswer ShowInputQuery(const TQuestion& Q) {
    QInputDialog D(QuestionParent(0));
    D.setWindowTitle(ToQString(Q.Caption));
    D.setLabelText(ToQString(Q.Text));
    D.setInputMode(QInputDialog::TextInput);
    D.setTextValue(ToQString(Q.Value));
    if (D.exec() != QDialog::Accepted) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    A.Value = FromQString(D.textValue());
    return A;
}

TAnswer ShowFileDialog(const TQuestion& Q) {
    QFileDialog D(QuestionParent(0), ToQString(Q.Caption));
    D.setOption(QFileDialog::HideNameFilterDetails);
    if (Q.Kind == qkSaveDialog) {
        D.setAcceptMode(QFileDialog::AcceptSave);
        D.setFileMode(QFileDialog::AnyFile);
        if (!Q.Options.Contains(ofOverwritePrompt)) D.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        D.setAcceptMode(QFileDialog::AcceptOpen);
        D.setFileMode(Q.Options.Contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                      : Q.Options.Contains(ofFileMustExist)  ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
    }
    if (Q.Options.Contains(ofForceShowHidden)) D.setFilter(D.filter() | QDir::Hidden);
    const QStringList Filters = DialogNameFilters(Q.Filter);
    if (!Filters.isEmpty()) {
        D.setNameFilters(Filters);
        const int Index = Q.FilterIndex >= 1 && Q.FilterIndex <= Filters.size() ? Q.FilterIndex : 1;
        D.selectNameFilter(Filters[Index - 1]);
    }
    if (!Q.InitialDir.empty())
        D.setDirectory(ToQString(Q.InitialDir));
    else if (!ExtractFilePath(Q.FileName).empty())
        D.setDirectory(ToQString(ExtractFilePath(Q.FileName)));
    if (!Q.FileName.empty()) D.selectFile(ToQString(Q.FileName));
    if (!Q.DefaultExt.empty()) D.setDefaultSuffix(ToQString(Q.DefaultExt));
    if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    for (const QString& F : D.selectedFiles())
        A.Files.push_back(FromQString(F));
    A.FileName = A.Files.front();
    const qsizetype Chosen = Filters.indexOf(D.selectedNameFilter());
    A.FilterIndex = Chosen >= 0 ? int(Chosen) + 1 : Q.FilterIndex;
    return A;
}

TAnswer ShowFolderDialog(const TQuestion& Q) {
    QFileDialog D(QuestionParent(0), ToQString(Q.Caption));
    D.setFileMode(QFileDialog::Directory);
    D.setOption(QFileDialog::ShowDirsOnly);
    const String Start = !Q.Directory.empty() ? Q.Directory : Q.Root;
    if (!Start.empty()) D.setDirectory(ToQString(Start));
    if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    A.Directory = FromQString(D.selectedFiles().front());
    return A;
}

TAnswer ShowColorDialog(const TQuestion& Q) {
    for (int I = 0; I < int(Q.CustomColors.size()) && I < QColorDialog::customCount(); ++I)
        QColorDialog::setCustomColor(I, ToQColor(Q.CustomColors[I]));
    QColorDialog D(ToQColor(Q.Color), QuestionParent(0));
    if (!Q.Caption.empty()) D.setWindowTitle(ToQString(Q.Caption));
    if (D.exec() != QDialog::Accepted) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    A.Color = FromQColor(D.selectedColor());
    for (int I = 0; I < int(Q.CustomColors.size()) && I < QColorDialog::customCount(); ++I)
        A.CustomColors.push_back(FromQColor(QColorDialog::customColor(I)));
    return A;
}

TAnswer ShowFontDialog(const TQuestion& Q) {
    QFont F(ToQString(Q.Font.Name));
    if (Q.Font.Size > 0) F.setPointSize(Q.Font.Size);
    F.setBold(Q.Font.Bold);
    F.setItalic(Q.Font.Italic);
    F.setUnderline(Q.Font.Underline);
    F.setStrikeOut(Q.Font.StrikeOut);
    QFontDialog D(F, QuestionParent(0));
    if (!Q.Caption.empty()) D.setWindowTitle(ToQString(Q.Caption));
    QFontDialog::FontDialogOptions Options;
    if (Q.FontOptions.Contains(fdFixedPitchOnly)) Options |= QFontDialog::MonospacedFonts;
    if (Q.FontOptions.Contains(fdScalableOnly)) Options |= QFontDialog::ScalableFonts;
    D.setOptions(Options);
    if (D.exec() != QDialog::Accepted) return Cancelled();
    const QFont Chosen = D.selectedFont();
    TAnswer A;
    A.Result = mrOk;
    A.Font = Q.Font;
    A.Font.Name = FromQString(Chosen.family());
    if (Chosen.pointSize() > 0) A.Font.Size = Chosen.pointSize();
    A.Font.Bold = Chosen.bold();
    A.Font.Italic = Chosen.italic();
    A.Font.Underline = Chosen.underline();
    A.Font.StrikeOut = Chosen.strikeOut();
    return A;
}

TAnswer ShowPrintDialog(const TQuestion& Q) {
    QPrinter Printer;
    Printer.setCopyCount(Q.Print.Copies);
    Printer.setCollateCopies(Q.Print.Collate);
    static const QPrinter::PrintRange Ranges[] = {QPrinter::AllPages, QPrinter::Selection,
                                                  QPrinter::PageRange};
    Printer.setPrintRange(Ranges[Q.Print.PrintRange]);
    if (Q.Print.FromPage > 0) Printer.setFromTo(Q.Print.FromPage, Q.Print.ToPage);
    QPrintDialog D(&Printer, QuestionParent(0));
    if (!Q.Caption.empty()) D.setWindowTitle(ToQString(Q.Caption));
    QAbstractPrintDialog::PrintDialogOptions Options = QAbstractPrintDialog::PrintCollateCopies;
    if (Q.PrintOptions.Contains(poPrintToFile) && !Q.PrintOptions.Contains(poDisablePrintToFile))
        Options |= QAbstractPrintDialog::PrintToFile;
    if (Q.PrintOptions.Contains(poPageNums)) Options |= QAbstractPrintDialog::PrintPageRange;
    if (Q.PrintOptions.Contains(poSelection)) Options |= QAbstractPrintDialog::PrintSelection;
    D.setOptions(Options);
    if (Q.Print.MaxPage > 0) D.setMinMax(Q.Print.MinPage, Q.Print.MaxPage);
    if (D.exec() != QDialog::Accepted) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    A.Print = Q.Print;
    A.Print.Copies = Printer.copyCount();
    A.Print.Collate = Printer.collateCopies();
    A.Print.PrintRange = Printer.printRange() == QPrinter::Selection   ? prSelection
                         : Printer.printRange() == QPrinter::PageRange ? prPageNums
                                                                       : prAllPages;
    A.Print.FromPage = Printer.fromPage();
    A.Print.ToPage = Printer.toPage();
    A.Print.PrintToFile = !Printer.outputFileName().isEmpty();
    return A;
}

TAnswer ShowPrinterSetupDialog(const TQuestion& Q) {
    QPrinter Printer;
    QPageSetupDialog D(&Printer, QuestionParent(0));
    if (!Q.Caption.empty()) D.setWindowTitle(ToQString(Q.Caption));
    if (D.exec() != QDialog::Accepted) return Cancelled();
    TAnswer A;
    A.Result = mrOk;
    return A;
}

} // namespace

TAnswer ShowRealQuestion(const TQuestion& Q) {
    switch (Q.Kind) {
    case qkMessageBox:
    case qkMessageDlg:
        return ShowMessageBox(Q);
    case qkInputQuery:
        return ShowInputQuery(Q);
    case qkOpenDialog:
    case qkSaveDialog:
        return ShowFileDialog(Q);
    case qkSelectDirectory:
        return ShowFolderDialog(Q);
    case qkColorDialog:
        return ShowColorDialog(Q);
    case qkFontDialog:
        return ShowFontDialog(Q);
    case qkPrintDialog:
        return ShowPrintDialog(Q);
    case qkPrinterSetupDialog:
        return ShowPrinterSetupDialog(Q);
    case qkShowModal:
        break;
    }
    throw EInvalidOperation(u"A form is shown modally by its own loop");
}
