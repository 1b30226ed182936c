// Window placement values in a settings store: keys per option, texts per screen resolution,
// short or foreign texts, the main form's minimised state.

#include "settings/KitPlacement.h"

#include "StoreSupport.h"

#include <memory>

namespace {

struct TPlacementValuesTest : TStoreTest {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TPlacementValuesTest() { Form->SetBounds(50, 60, 300, 200); }
    bool Stored(const String& Key) { return Store->ValueStored(u"P\\" + Key); }
};

} // namespace

TEST_F(TPlacementValuesTest, KeysWrittenPerOptions) {
    const String Suffix = ScreenSizeSuffix();
    struct {
        TPlacementOptions Options;
        bool ShowCmd, Positions;
    } const Cases[] = {
        {{fpLocation}, false, true},       {{fpState}, true, false},
        {{fpSize}, false, true},           {{}, false, false},
        {{fpActiveControl}, false, false}, {{fpState, fpSize, fpLocation}, true, true},
    };
    for (const auto& C : Cases) {
        Store->DeleteSubTree(u"P");
        WriteFormPlacementValues(Form.get(), Store.get(), u"P", C.Options);
        EXPECT_EQ(Stored(u"ShowCmd"), C.ShowCmd);
        for (const String& Key : {String(u"Flags"), String(u"PixelsPerInch"), String(u"MinMaxPos"),
                                  String(u"NormPos"), u"MinMaxPos" + Suffix, u"NormPos" + Suffix})
            EXPECT_EQ(Stored(Key), C.Positions) << U8(Key);
    }
    EXPECT_EQ(U8(Store->ReadString(u"P\\NormPos")), "50,60,350,260");
}

TEST_F(TPlacementValuesTest, ReadingAppliesWhatTheOptionsAllow) {
    struct {
        const char16_t* NormPos;
        TPlacementOptions Options;
        int PixelsPerInch;
        TRect Expected;
    } const Cases[] = {
        // Location only: the stored corner with the form's own size.
        {u"10,20,110,220", {fpLocation}, 96, Bounds(10, 20, 300, 200)},
        // Size only: the stored size at the form's own corner.
        {u"10,20,110,220", {fpSize}, 96, Bounds(50, 60, 100, 200)},
        {u"10,20,110,220", {fpSize, fpLocation}, 96, Bounds(10, 20, 100, 200)},
        // Three words: the form's height stands in for the bottom edge.
        {u"10,20,110", {fpSize, fpLocation}, 96, Bounds(10, 20, 100, 180)},
        // Saved under another pixel density, or an empty rectangle: not applied.
        {u"10,20,110,220", {fpSize, fpLocation}, 120, Bounds(50, 60, 300, 200)},
        {u"10,20,10,220", {fpSize, fpLocation}, 96, Bounds(50, 60, 300, 200)},
        {u"x y", {fpLocation}, 96, Bounds(50, 60, 300, 200)},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(U8(C.NormPos));
        Form->SetBounds(50, 60, 300, 200);
        Store->DeleteSubTree(u"P");
        // Only the plain key: used on any resolution.
        Store->WriteString(u"P\\NormPos", C.NormPos);
        Store->WriteInteger(u"P\\PixelsPerInch", C.PixelsPerInch);
        ReadFormPlacementValues(Form.get(), Store.get(), u"P", C.Options);
        EXPECT_EQ(Form->BoundsRect(), C.Expected);
        EXPECT_FALSE(Form->Visible()); // applying never shows a hidden form
    }
    // The next write keeps both keys.
    WriteFormPlacementValues(Form.get(), Store.get(), u"P", {fpLocation});
    EXPECT_TRUE(Stored(u"NormPos" + ScreenSizeSuffix()));
}

TEST_F(TPlacementValuesTest, AScreenOfItsOwnWinsOverThePlainKey) {
    Store->WriteString(u"P\\NormPos", u"1,1,101,101");
    Store->WriteString(u"P\\NormPos" + ScreenSizeSuffix(), u"7,8,107,108");
    ReadFormPlacementValues(Form.get(), Store.get(), u"P", {fpSize, fpLocation});
    EXPECT_EQ(Form->BoundsRect(), Bounds(7, 8, 100, 100));
}

TEST_F(TPlacementValuesTest, ShowStates) {
    struct {
        int ShowCmd;
        TWindowState Expected;
    } const Cases[] = {{1, wsNormal}, {3, wsMaximized}, {9, wsNormal}, {42, wsNormal}};
    for (const auto& C : Cases) {
        Form->SetWindowState(wsNormal);
        Store->WriteInteger(u"P\\ShowCmd", C.ShowCmd);
        ReadFormPlacementValues(Form.get(), Store.get(), u"P", {fpState});
        EXPECT_EQ(Form->WindowState(), C.Expected) << C.ShowCmd;
    }
}

TEST_F(TPlacementValuesTest, AMinimisedMainFormMinimisesTheProgram) {
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    bool Minimized = false;
    Application->OnMinimize = [&](TObject*) { Minimized = true; };
    Store->WriteInteger(u"P\\ShowCmd", 2);
    ReadFormPlacementValues(Main, Store.get(), u"P", {fpState});
    EXPECT_EQ(Main->WindowState(), wsNormal); // the form itself is not minimised
    EXPECT_FALSE(Minimized);
    Application->ProcessMessages(); // the posted SC_MINIMIZE
    EXPECT_TRUE(Minimized);
    Application->OnMinimize = nullptr;
    delete Main;
}
