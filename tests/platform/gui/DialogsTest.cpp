#include "support/QuestionTestSupport.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QuestionsQt.h"

#include <gtest/gtest.h>

namespace {

std::vector<String> Lines(const TStrings* S) {
    std::vector<String> Result;
    for (int I = 0; I < S->Count(); ++I)
        Result.push_back(S->Strings(I));
    return Result;
}

} // namespace

TEST(Dialogs, FiltersBecomeQtNameFilters) {
    struct Case {
        String Filter;
        QStringList Expected;
    };
    const Case Cases[] = {
        {u"", {}},
        {u"Text files (*.txt)|*.txt|All files|*.*",
         {QStringLiteral("Text files (*.txt) (*.txt)"), QStringLiteral("All files (*)")}},
        {u"Sources|*.ino;*.pde; *.cpp", {QStringLiteral("Sources (*.ino *.pde *.cpp)")}},
        {u"Sketch|*.ino|Dangling", {QStringLiteral("Sketch (*.ino)")}},
        {u"Anything|", {QStringLiteral("Anything (*)")}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Services::DialogNameFilters(C.Filter), C.Expected) << StringToUtf8(C.Filter);
}

TEST(Dialogs, OpenDialogAsksWithItsSettingsAndTakesTheChoice) {
    TOpenDialog D(nullptr);
    D.SetTitle(u"Load Morvane project");
    D.SetFilter(u"Morvane project (*.mrv)|*.mrv|All files (*.*)|*.*");
    D.SetFilterIndex(1);
    D.SetInitialDir(u"/tmp");
    D.SetDefaultExt(u"mrv");
    D.SetFileName(u"old.mrv");
    std::vector<String> Events;
    D.OnShow = [&](TObject*) { Events.push_back(u"show"); };
    D.OnClose = [&](TObject*) { Events.push_back(u"close"); };
    TQuestionScript Script;
    Script.Answer([](const TQuestion&, TAnswer& A) {
        A.FileName = u"/tmp/project";
        A.Files = {A.FileName};
        A.FilterIndex = 2;
    });
    ASSERT_TRUE(D.Execute());
    const TQuestion& Q = Script.Last();
    EXPECT_EQ(Q.Kind, qkOpenDialog);
    EXPECT_EQ(Q.Caption, u"Load Morvane project");
    EXPECT_EQ(Q.Filter, u"Morvane project (*.mrv)|*.mrv|All files (*.*)|*.*");
    EXPECT_EQ(Q.FilterIndex, 1);
    EXPECT_EQ(Q.InitialDir, u"/tmp");
    EXPECT_EQ(Q.FileName, u"old.mrv");
    EXPECT_EQ(Q.DefaultExt, u"mrv");
    EXPECT_EQ(Q.Options, (TOpenOptions{ofHideReadOnly, ofEnableSizing}));
    EXPECT_EQ(Q.Dialog, &D);
    EXPECT_EQ(D.FileName(), u"/tmp/project.mrv"); // the default extension added
    EXPECT_EQ(Lines(D.Files()), std::vector<String>{u"/tmp/project.mrv"});
    EXPECT_EQ(D.FilterIndex(), 2);
    EXPECT_EQ(Events, (std::vector<String>{u"show", u"close"}));

    // Cancel leaves the properties as they were.
    Script.Answer(mrCancel);
    EXPECT_FALSE(D.Execute());
    EXPECT_EQ(D.FileName(), u"/tmp/project.mrv");
    EXPECT_EQ(D.FilterIndex(), 2);
    EXPECT_EQ(Script.Last().FilterIndex, 2);
    // A dialog answers OK or Cancel, and OK comes with a name.
    TExpectUnscripted Refusal;
    Script.Answer(mrYes).Answer([](const TQuestion&, TAnswer& A) {
        A.FileName.clear();
        A.Files.clear();
    });
    D.SetFileName(u"");
    EXPECT_THROW(D.Execute(), EUnscriptedQuestion);
    EXPECT_THROW(D.Execute(), EUnscriptedQuestion);
    EXPECT_EQ(Refusal.Count(), 2);
}

TEST(Dialogs, MultiSelectAndCanClose) {
    TOpenDialog D(nullptr);
    TQuestionScript Script;
    const auto Choose = [](std::vector<String> Files) {
        return [Files](const TQuestion&, TAnswer& A) {
            A.Files = Files;
            A.FileName = Files.front();
        };
    };
    Script.Answer(Choose({u"/a/x.ino", u"/a/y.ino"}));
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(Lines(D.Files()), std::vector<String>{u"/a/x.ino"}); // one file without ofAllowMultiSelect

    D.SetOptions(D.Options() + TOpenOptions{ofAllowMultiSelect});
    Script.Answer(Choose({u"/a/x.ino", u"/a/y.ino"}));
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(Lines(D.Files()), (std::vector<String>{u"/a/x.ino", u"/a/y.ino"}));
    EXPECT_EQ(D.FileName(), u"/a/x.ino");

    // A refused choice asks again, starting from the refused name.
    int Asked = 0;
    D.OnCanClose = [&](TObject*, bool& CanClose) { CanClose = ++Asked > 1; };
    Script.Answer(mrOk, u"/a/bad.ino").Answer(mrOk, u"/a/good.ino");
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(D.FileName(), u"/a/good.ino");
    EXPECT_EQ(Script.Last().FileName, u"/a/bad.ino");
    EXPECT_EQ(Asked, 2);
    // Refused, then cancelled: the dialog keeps what it had.
    Asked = 0;
    Script.Answer(mrOk, u"/a/bad.ino").Answer(mrCancel);
    EXPECT_FALSE(D.Execute());
    EXPECT_EQ(D.FileName(), u"/a/good.ino");
    EXPECT_EQ(Lines(D.Files()), std::vector<String>{u"/a/good.ino"});
}

TEST(Dialogs, SaveDialogAndFolders) {
    TSaveDialog Save(nullptr);
    Save.SetOptions({ofOverwritePrompt});
    TQuestionScript Script;
    Script.Answer(mrOk, u"/tmp/out.txt");
    ASSERT_TRUE(Save.Execute());
    EXPECT_EQ(Script.Last().Kind, qkSaveDialog);
    EXPECT_EQ(Save.FileName(), u"/tmp/out.txt");

    String Folder = u"/home/user/sketches";
    Script.Answer(mrOk, u"/home/user/other/").Answer(mrCancel, u"/nowhere");
    EXPECT_TRUE(SelectDirectory(u"Choose a folder", u"/home", Folder));
    EXPECT_EQ(Folder, u"/home/user/other");
    EXPECT_EQ(Script.Last().Kind, qkSelectDirectory);
    EXPECT_EQ(Script.Last().Caption, u"Choose a folder");
    EXPECT_EQ(Script.Last().Root, u"/home");
    EXPECT_EQ(Script.Last().Directory, u"/home/user/sketches");
    EXPECT_FALSE(SelectDirectory(u"Choose a folder", u"", Folder));
    EXPECT_EQ(Folder, u"/home/user/other");

    TSelectDirectoryDialog Dir(nullptr);
    Dir.SetTitle(u"Projects");
    Dir.SetDirectory(u"/srv");
    Script.Answer(mrOk, u"/");
    ASSERT_TRUE(Dir.Execute());
    EXPECT_EQ(Dir.Directory(), u"/"); // the root keeps its slash
    EXPECT_EQ(Script.Last().Dialog, &Dir);
}

TEST(Dialogs, ColorDialogWithCustomColors) {
    TColorDialog D(nullptr);
    D.SetColor(clBtnFace);
    D.CustomColors()->Add(u"ColorA=0000FF");
    D.CustomColors()->Add(u"ColorC=junk");
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        A.Color = clTeal;
        A.CustomColors[1] = 0x123456;
        EXPECT_EQ(Q.CustomColors.size(), 16u);
    });
    ASSERT_TRUE(D.Execute());
    const TQuestion& Q = Script.Last();
    EXPECT_EQ(Q.Color, TColor(ColorToRGB(clBtnFace))); // the dialog shows real colours
    EXPECT_EQ(Q.CustomColors[0], 0x0000FF);
    EXPECT_EQ(Q.CustomColors[2], clWhite);
    EXPECT_EQ(Q.CustomColors[15], clWhite);
    EXPECT_EQ(D.Color(), clTeal);
    ASSERT_EQ(D.CustomColors()->Count(), 16);
    EXPECT_EQ(D.CustomColors()->Strings(0), u"ColorA=0000FF");
    EXPECT_EQ(D.CustomColors()->Strings(1), u"ColorB=123456");
    EXPECT_EQ(D.CustomColors()->Values(u"ColorP"), u"FFFFFF");
    Script.Answer(mrCancel);
    EXPECT_FALSE(D.Execute());
    EXPECT_EQ(D.Color(), clTeal);
}

TEST(Dialogs, FontDialogFillsTheFont) {
    TFontDialog D(nullptr);
    D.Font()->SetName(u"Courier New");
    D.Font()->SetSize(10);
    D.Font()->SetStyle({fsItalic});
    TQuestionScript Script;
    Script.Answer([](const TQuestion&, TAnswer& A) {
        A.Font.Name = u"Arial";
        A.Font.Size = 14;
        A.Font.Bold = true;
        A.Font.Italic = false;
        A.Font.Color = clRed;
    });
    ASSERT_TRUE(D.Execute());
    const TQuestionFont& Asked = Script.Last().Font;
    EXPECT_EQ(Asked.Name, u"Courier New");
    EXPECT_EQ(Asked.Size, 10);
    EXPECT_TRUE(Asked.Italic);
    EXPECT_EQ(Asked.Color, clWindowText);
    EXPECT_EQ(D.Font()->Name(), u"Arial");
    EXPECT_EQ(D.Font()->Size(), 14);
    EXPECT_EQ(D.Font()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(D.Font()->Color(), clRed); // fdEffects is on by default
}

TEST(Dialogs, PrintDialogsAskThroughTheService) {
    TPrintDialog D(nullptr);
    D.SetOptions({poPageNums});
    D.SetMinPage(1);
    D.SetMaxPage(9);
    TQuestionScript Script;
    Script.Answer([](const TQuestion&, TAnswer& A) {
        A.Print.Copies = 2;
        A.Print.PrintRange = prPageNums;
        A.Print.FromPage = 3;
        A.Print.ToPage = 5;
    });
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(Script.Last().Print.Copies, 1);
    EXPECT_EQ(Script.Last().Print.MaxPage, 9);
    EXPECT_EQ(Script.Last().PrintOptions, TPrintDialogOptions{poPageNums});
    EXPECT_EQ(D.Copies(), 2);
    EXPECT_EQ(D.PrintRange(), prPageNums);
    EXPECT_EQ(D.FromPage(), 3);
    EXPECT_EQ(D.ToPage(), 5);

    TPrinterSetupDialog Setup(nullptr);
    Script.Answer(mrOk).Answer(mrCancel);
    EXPECT_TRUE(Setup.Execute());
    EXPECT_EQ(Script.Last().Kind, qkPrinterSetupDialog);
    EXPECT_FALSE(Setup.Execute());
}

TEST(Dialogs, PublishedPropertiesByName) {
    TComponent* D = FindClass(u"TSaveDialog")->Create(nullptr);
    SetStrProp(D, u"Filter", u"All|*.*");
    SetOrdProp(D, u"FilterIndex", 3);
    EXPECT_EQ(static_cast<TSaveDialog*>(D)->Filter(), u"All|*.*");
    EXPECT_EQ(static_cast<TSaveDialog*>(D)->FilterIndex(), 3);
    EXPECT_EQ(GetSetProp(D, u"Options"), u"[ofHideReadOnly,ofEnableSizing]");
    delete D;
}
