// The about box and its helpers on real program files: a copy of a system program with a version
// record added by objcopy, one without, a damaged record and a missing file.

#include "ide/HelpAbout.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/VersionRecord.h"
#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A copy of /bin/true that carries Record (raw bytes) in the version record's section.
String ProgramWithRecord(const TTempFolder& Temp, const std::string& Name, const std::string& Record) {
    WriteBytes(Temp.Sys(Name + ".rec"), Record);
    const std::string Command = "objcopy --add-section " VERSION_RECORD_SECTION "=" +
                                Temp.Sys(Name + ".rec") + " /bin/true " + Temp.Sys(Name);
    if (std::system(Command.c_str()) != 0) throw std::runtime_error("objcopy failed");
    return Temp / Name;
}

std::string Record(std::array<Word, 4> Product) {
    TVersionRecordContents C;
    C.FileVersion = {9, 9, 9, 9};
    C.ProductVersion = Product;
    const std::vector<Byte> B = BuildVersionRecord(C);
    return std::string(B.begin(), B.end());
}

} // namespace

TEST(HelpAboutTest, ProductVersionTextOfProgramFiles) {
    TTempFolder Temp;
    struct TCase {
        String File;
        std::string Expected;
    } Cases[] = {
        {ProgramWithRecord(Temp, "one", Record({1, 2, 3, 4})), "1.02.03.04"},
        {ProgramWithRecord(Temp, "big", Record({65535, 100, 0, 7})), "65535.100.00.07"},
        {ProgramWithRecord(Temp, "damaged", "VS_VERSION_INFO but not a record"), "???"},
        {u"/bin/true", "The specified resource type cannot be found in the image file."},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(U8(ProductVersionText(C.File)), C.Expected) << U8(C.File);
    // A file that is not there gives the system's message, not a version.
    const String Missing = ProductVersionText(Temp / "missing");
    EXPECT_NE(Missing.find(u"No such file"), String::npos) << U8(Missing);
}

TEST(HelpAboutTest, AboutBoxShowsTheProgramsVersionAndClosesOnEscapeOrClick) {
    TTempFolder Temp;
    SetProgramFileOverride(ProgramWithRecord(Temp, "Morvane", Record({1, 2, 3, 4})));
    TScopeExit Restore([] { SetProgramFileOverride(String()); });

    for (int Way = 0; Way < 2; ++Way) {
        TfrmHelpAbout Form(nullptr);
        EXPECT_EQ(Form.Caption(), u"Morvane - Editor for Arduino projects");
        EXPECT_EQ(Form.lblVersion->Caption(), u"ver. 1.02.03.04");
        EXPECT_EQ(Form.ClientWidth(), 454);
        EXPECT_EQ(Form.ClientHeight(), 285);
        Form.Show();
        ProcessMessages();
        ASSERT_TRUE(Form.Visible());
        if (Way == 0) {
            auto Picture = GrabControl(&Form);
            Picture->SaveToFile(Temp / "about.png");
            // The logo is drawn: its light band shows inside img1.
            EXPECT_EQ(PixelOf(*Picture, Form.img1->Left() + 40, Form.img1->Top() + 10), RGB(224, 248, 246));
            // The window is a rectangle with rounded corners.
            HRGN Shape = CreateRectRgn(0, 0, 0, 0);
            EXPECT_EQ(GetWindowRgn(Form.Handle(), Shape), COMPLEXREGION);
            EXPECT_FALSE(PtInRegion(Shape, 3, 3));
            EXPECT_FALSE(PtInRegion(Shape, 450, 281));
            EXPECT_TRUE(PtInRegion(Shape, 227, 1));
            EXPECT_TRUE(PtInRegion(Shape, 20, 20));
            DeleteRgn(Shape);
            // Every line fits its label whole, whatever face stands in for the named one.
            TBitmap Measure;
            for (TLabel* L : {Form.lbl1, Form.lblVersion, Form.lblWeb, Form.lbl2, Form.lbl3}) {
                Measure.Canvas()->Font()->Assign(L->Font());
                EXPECT_LE(Measure.Canvas()->TextWidth(L->Caption()), L->Width()) << U8(L->Name());
                EXPECT_EQ(U8(L->Font()->Name()), "Comic Sans MS");
            }
            EXPECT_GE(Form.lbl1->Font()->Size(), 10);
            KeyMessages(&Form, VK_ESCAPE);
        } else {
            ClickMessages(&Form, TPoint(5, 5));
        }
        ProcessMessages();
        EXPECT_FALSE(Form.Visible()) << Way;
    }
}

TEST(HelpAboutTest, SelectFolderTakesTheChosenFolderWithATrailingDelimiter) {
    TQuestionScript Script;
    String Folder = u"/home/user/sketches/";
    Script.Answer(mrOk, u"/home/user/other");
    EXPECT_TRUE(SelectFolder(Folder));
    EXPECT_EQ(Folder, u"/home/user/other/");
    EXPECT_EQ(Script.Last().Kind, qkSelectDirectory);
    EXPECT_EQ(Script.Last().Directory, u"/home/user/sketches");

    Script.Answer(mrCancel);
    EXPECT_FALSE(SelectFolder(Folder));
    EXPECT_EQ(Folder, u"/home/user/other/");
    EXPECT_EQ(Script.Last().Directory, u"/home/user/other");
}
