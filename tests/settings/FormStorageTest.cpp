// Form placement and form storage on real forms and real INI files: quitting and starting again
// keeps stored properties, values and placements; the version check, the never-shown form, the
// refused close, the tracking limits; damaged and read-only settings files.

#include "settings/KitFormStorage.h"
#include "settings/KitPropStorage.h"
#include "settings/UtilConvert.h"

#include "platform/gui/Questions.h"
#include "platform/gui/StdCtrls.h"

#include "StoreSupport.h"

#include <sys/stat.h>

#include <functional>
#include <memory>

namespace {

// A form as the options dialog is made: an INI store, a form storage and a few controls whose
// properties it keeps. Its creation handler names the storage path and the file.
class TStoredForm : public TForm {
public:
    TKitAppIniFileStorage* appIniStor = nullptr;
    TKitFormStorage* fs1 = nullptr;
    TCheckBox* chkConst = nullptr;
    TEdit* edPathToArduino = nullptr;
    TListBox* lstSelectedBoards = nullptr;

    TStoredForm(const String& File, const String& Section, TPlacementOptions Options,
                const std::function<void(TStoredForm*)>& Extra = {})
        : TForm(nullptr) {
        BuildForm([&] {
            SetName(u"frmOptions");
            SetBounds(100, 120, 400, 300);
            appIniStor = new TKitAppIniFileStorage(this);
            appIniStor->SetName(u"appIniStor");
            appIniStor->SetLocation(flCustom);
            fs1 = new TKitFormStorage(this);
            fs1->SetName(u"fs1");
            fs1->SetAppStorage(appIniStor);
            fs1->SetOptions(Options);
            chkConst = new TCheckBox(this);
            chkConst->SetName(u"chkConst");
            chkConst->SetParent(this);
            edPathToArduino = new TEdit(this);
            edPathToArduino->SetName(u"edPathToArduino");
            edPathToArduino->SetParent(this);
            lstSelectedBoards = new TListBox(this);
            lstSelectedBoards->SetName(u"lstSelectedBoards");
            lstSelectedBoards->SetParent(this);
            for (const char16_t* Line : {u"chkConst.Checked", u" edPathToArduino . Text ",
                                         u"lstSelectedBoards.Items", u"gone.Text", u"no point"})
                fs1->StoredProps()->Add(Line);
            if (Extra) Extra(this);
            OnCreate = [this, File, Section](TObject*) {
                fs1->SetAppStoragePath(Section);
                appIniStor->SetFileName(File);
            };
        });
    }
};

struct TFormStorageTest : ::testing::Test {
    TTempFolder Temp;
    String File = Temp / "Morvane.opt";
    String Section = Temp.Dir(); // the program folder, as the programs use it

    std::string Key(const std::string& Name, const std::string& Value) { return Name + "=" + Value; }
    std::string SectionLine() { return "[" + U8(Section) + "]"; }
};

} // namespace

TEST_F(TFormStorageTest, QuittingAndStartingAgainKeepsPropertiesAndPlacement) {
    {
        auto Form = std::make_unique<TStoredForm>(File, Section, TPlacementOptions{fpLocation});
        // Lines naming no component, or not splitting, are gone once the form is loaded.
        EXPECT_EQ(Form->fs1->StoredProps()->Count(), 3);
        Form->SetBounds(140, 160, 400, 300);
        Form->Show();
        Form->chkConst->SetChecked(true);
        Form->edPathToArduino->SetText(u"/usr/share/arduino");
        Form->lstSelectedBoards->Items()->Add(u"uno");
        Form->lstSelectedBoards->Items()->Add(u"mega");
        ASSERT_TRUE(Form->CloseQuery());
    } // the store writes its file when it goes

    const String S = Section;
    EXPECT_TRUE(HasLine(File, SectionLine()));
    for (const std::string& Line :
         {Key("FormVersion", "0"), Key("chkConst_Checked", "TRUE"),
          Key("edPathToArduino_Text", "/usr/share/arduino"), Key("Flags", "0"), Key("PixelsPerInch", "96"),
          Key("NormPos", "140,160,540,460"), Key("NormPos" + U8(ScreenSizeSuffix()), "140,160,540,460")})
        EXPECT_TRUE(HasLine(File, Line)) << Line;
    EXPECT_TRUE(HasLine(File, "[" + U8(S) + "\\lstSelectedBoards_Items]"));
    for (const auto& Line : FileLines(File))
        EXPECT_NE(Line.rfind("ShowCmd", 0), 0u) << "fpLocation alone writes no show state";

    auto Again = std::make_unique<TStoredForm>(File, Section, TPlacementOptions{fpLocation});
    EXPECT_FALSE(Again->chkConst->Checked()); // nothing read before the first show
    Again->SetBounds(0, 0, 380, 280);
    Again->Show();
    EXPECT_TRUE(Again->chkConst->Checked());
    EXPECT_EQ(U8(Again->edPathToArduino->Text()), "/usr/share/arduino");
    EXPECT_EQ(Again->lstSelectedBoards->Items()->Count(), 2);
    // Location only: the stored left and top with the form's own size. (The offscreen platform
    // may add its 2-pixel frame to a shown window's position.)
    EXPECT_NEAR(Again->Left(), 140, 2);
    EXPECT_NEAR(Again->Top(), 160, 2);
    EXPECT_EQ(Again->Width(), 380);
    EXPECT_EQ(Again->Height(), 280);
}

TEST_F(TFormStorageTest, MainWindowStorageKeepsPropertiesAndNoPlacementKey) {
    {
        TStoredForm Form(File, Section, TPlacementOptions{});
        Form.Show();
        Form.chkConst->SetChecked(true);
        Form.Close();
    }
    EXPECT_TRUE(HasLine(File, "FormVersion=0"));
    EXPECT_TRUE(HasLine(File, "chkConst_Checked=TRUE"));
    for (const auto& Line : FileLines(File))
        for (const char* Placement : {"ShowCmd", "Flags", "NormPos", "MinMaxPos", "PixelsPerInch"})
            EXPECT_NE(Line.rfind(Placement, 0), 0u) << Line;
}

TEST_F(TFormStorageTest, VersionCheckDecidesWhetherStoredContentIsRead) {
    struct {
        TKitFormPlacementVersionCheck Check;
        int Stored, Version;
        bool Restored;
    } const Cases[] = {
        {fpvcCheckEqual, 1, 2, false},       {fpvcCheckEqual, 2, 2, true},
        {fpvcCheckGreaterEqual, 3, 2, true}, {fpvcCheckGreaterEqual, 1, 2, false},
        {fpvcNocheck, 1, 2, true},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << "check " << int(C.Check) << " stored " << C.Stored);
        {
            TStorePtr Store = NewStore(File);
            Store->WriteInteger(u"\\" + Section + u"\\FormVersion", C.Stored);
            Store->WriteBoolean(u"\\" + Section + u"\\chkConst_Checked", true);
        }
        {
            TStoredForm Form(File, Section, {}, [&](TStoredForm* F) {
                F->fs1->SetVersion(C.Version);
                F->fs1->SetVersionCheck(C.Check);
            });
            Form.Show();
            EXPECT_EQ(Form.chkConst->Checked(), C.Restored);
            Form.Close();
        }
        // A rejected version is overwritten by the next save with the current state.
        EXPECT_TRUE(HasLine(File, C.Check == fpvcNocheck ? "FormVersion=" + std::to_string(C.Stored)
                                                         : "FormVersion=" + std::to_string(C.Version)));
        EXPECT_TRUE(HasLine(File, C.Restored ? "chkConst_Checked=TRUE" : "chkConst_Checked=FALSE"));
        std::remove(U8(File).c_str());
    }
}

TEST_F(TFormStorageTest, AFormNeverShownWritesOnlyItsVersion) {
    // Forms are freed with delete, which runs their destroy handler.
    std::make_unique<TStoredForm>(File, Section, TPlacementOptions{fpState, fpSize, fpLocation}).reset();
    EXPECT_EQ(FileLines(File), (std::vector<std::string>{SectionLine(), "FormVersion=0", ""}));
}

TEST_F(TFormStorageTest, ARefusedCloseSavesNothing) {
    TStoredForm Form(File, Section, {}, [](TStoredForm* F) {
        F->OnCloseQuery = [](TObject*, bool& CanClose) { CanClose = false; };
    });
    Form.Show();
    Form.chkConst->SetChecked(true);
    EXPECT_FALSE(Form.CloseQuery());
    Form.appIniStor->Flush();
    EXPECT_FALSE(HasLine(File, "chkConst_Checked=TRUE"));
}

TEST_F(TFormStorageTest, StoredValuesRoundTripByKindAndScrambled) {
    auto Values = [](TStoredForm* F) {
        TKitStoredValues* V = F->fs1->StoredValues();
        V->SetPath(u"Values");
        const std::pair<const char16_t*, TKitStoredValueData> Items[] = {{u"Count", Int64(0)},
                                                                         {u"Ratio", 0.0},
                                                                         {u"Flag", false},
                                                                         {u"Name", String()},
                                                                         {u"Secret", String()}};
        for (const auto& [Name, Value] : Items) {
            TKitStoredValue* I = V->Add();
            I->SetName(Name);
            I->SetValue(Value);
        }
        V->Items(4)->SetKeyString(u"key");
    };
    {
        TStoredForm Form(File, Section, {}, Values);
        Form.Show();
        TKitStoredValues* V = Form.fs1->StoredValues();
        V->Items(0)->SetValue(Int64(7));
        V->Items(1)->SetValue(2.5);
        V->Items(2)->SetValue(true);
        V->Items(3)->SetValue(String(u"uno"));
        V->Items(4)->SetValue(String(u"pw"));
        EXPECT_EQ(U8(ThrownMessage<EKitException>([&] { V->Items(0)->SetName(u"NAME"); })),
                  "String list does not allow duplicates");
        Form.Close();
    }
    EXPECT_TRUE(HasLine(File, "Count=7"));
    EXPECT_TRUE(HasLine(File, "Name=uno"));
    EXPECT_TRUE(HasLine(File, "Secret=" + U8(XorToHex(u"key", u"pw"))));
    TStoredForm Again(File, Section, {}, Values);
    Again.Show();
    TKitStoredValues* V = Again.fs1->StoredValues();
    EXPECT_EQ(V->Items(0)->Value(), TKitStoredValueData(Int64(7)));
    EXPECT_EQ(V->Items(1)->Value(), TKitStoredValueData(2.5));
    EXPECT_EQ(V->Items(2)->Value(), TKitStoredValueData(true));
    EXPECT_EQ(V->Items(3)->Value(), TKitStoredValueData(String(u"uno")));
    EXPECT_EQ(V->Items(4)->Value(), TKitStoredValueData(String(u"pw")));
}

TEST_F(TFormStorageTest, ActiveControlAloneRestoresOnlyTheFocus) {
    {
        TStorePtr Store = NewStore(File);
        Store->WriteString(u"\\" + Section + u"\\ActiveControl", u"edPathToArduino");
        Store->WriteString(u"\\" + Section + u"\\NormPos", u"1,2,300,400");
    }
    TStoredForm Form(File, Section, TPlacementOptions{fpActiveControl});
    Form.Show();
    EXPECT_EQ(Form.ActiveControl(), Form.edPathToArduino);
    EXPECT_EQ(Form.Left(), 100); // no placement read
    Form.Close();
    Form.appIniStor->Flush();
    EXPECT_FALSE(HasLine(File, "Flags=0"));
}

TEST_F(TFormStorageTest, PreventResizePinsTheSizeAndBlocksBorderDrags) {
    TStoredForm Form(File, Section, {});
    Form.Show();
    // The window's own answer to a hit test, as a frame would give it.
    LRESULT Hit = HTCLIENT;
    TWndMethod Own = Form.WindowProc();
    Form.SetWindowProc([&](TMessage& M) {
        Own(M);
        if (M.Msg == WM_NCHITTEST) M.Result = Hit;
    });
    EXPECT_FALSE(Form.fs1->WindowHooked());
    Form.fs1->SetPreventResize(true);
    struct {
        LRESULT Own, Seen;
    } const Hits[] = {
        {HTLEFT, HTNOWHERE}, {HTBOTTOMRIGHT, HTNOWHERE}, {HTCAPTION, HTCAPTION}, {HTCLIENT, HTCLIENT}};
    for (const auto& H : Hits) {
        Hit = H.Own;
        EXPECT_EQ(Form.Perform(WM_NCHITTEST), H.Seen) << H.Own;
    }
    EXPECT_TRUE(Form.fs1->WindowHooked());
    EXPECT_FALSE(Form.BorderIcons().Contains(biMaximize));
    Form.SetBounds(Form.Left(), Form.Top(), 600, 500);
    EXPECT_EQ(Form.Width(), 400);
    EXPECT_EQ(Form.Height(), 300);
    Form.fs1->SetPreventResize(false);
    EXPECT_FALSE(Form.fs1->WindowHooked());
    EXPECT_TRUE(Form.BorderIcons().Contains(biMaximize));
    Form.SetWidth(600);
    EXPECT_EQ(Form.Width(), 600);
    Form.SetWindowProc(Own);
}

TEST_F(TFormStorageTest, MinimumTrackWidthHoldsTheFormAtLeastThatWide) {
    TStoredForm Form(File, Section, {});
    Form.Show();
    Form.fs1->MinMaxInfo()->SetMinTrackWidth(300);
    EXPECT_TRUE(Form.fs1->WindowHooked());
    Form.SetWidth(200);
    EXPECT_EQ(Form.Width(), 300);
    Form.SetHeight(100); // the other limits stay the system's
    EXPECT_EQ(Form.Height(), 100);
    Form.fs1->MinMaxInfo()->SetMinTrackWidth(0);
    EXPECT_FALSE(Form.fs1->WindowHooked());
    Form.SetWidth(200);
    EXPECT_EQ(Form.Width(), 200);
}

TEST_F(TFormStorageTest, ADamagedSettingsFileIsReportedAndLeftAsItWas) {
    // A UTF-16 file cut in the middle of a character cannot be read as settings.
    std::string Damaged = "\xFF\xFE";
    for (char C : "[Other]\r\nKeep=1\r\n")
        if (C) Damaged += std::string{C, '\0'};
    Damaged += 'x';
    WriteBytes(U8(File), Damaged);
    TQuestionScript Script;
    Script.Answer(IDOK);
    {
        auto Form = std::make_unique<TStoredForm>(File, Section, TPlacementOptions{});
        Form->Show();
        Form->chkConst->SetChecked(true);
        Form->Close();
    }
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_NE(U8(Script.Last().Text).find("cannot be read"), std::string::npos) << U8(Script.Last().Text);
    EXPECT_NE(U8(Script.Last().Text).find(U8(File)), std::string::npos);
    EXPECT_EQ(ReadBytes(U8(File)), Damaged); // not written over
}

TEST_F(TFormStorageTest, AReadOnlySettingsFileIsReportedAndLeftAsItWas) {
    {
        TStorePtr Store = NewStore(File);
        Store->WriteInteger(u"\\Other\\Keep", 1);
    }
    const std::string Before = ReadBytes(U8(File));
    ::chmod(U8(File).c_str(), 0444);
    ::chmod(Temp.Path().c_str(), 0755);
    // Root may write anything: the form and its store run as an unprivileged user in a child,
    // without showing a window.
    const int Code = RunInChild([&] {
        ::alarm(30);
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 2;
        auto Form = std::make_unique<TStoredForm>(File, Section, TPlacementOptions{});
        const String Message = ThrownMessage<EKitAppStorageError>([&] { Form->fs1->SaveFormPlacement(); });
        if (U8(Message).find("is read-only") == std::string::npos) return 3;
        Form.reset(); // tries no second time, writes nothing
        return 0;
    });
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(ReadBytes(U8(File)), Before);
}

// ---- Stored property lists ----------------------------------------------------------------------

TEST(StoredItems, SplitMakeAndRename) {
    struct {
        const char16_t* Line;
        bool Splits;
        const char* Component;
        const char* Property;
    } const Cases[] = {
        {u"chkConst.Checked", true, "chkConst", "Checked"},
        {u"  ed . Text ", true, "ed", "Text"},
        {u"a.b.c", true, "a", "b.c"},
        {u"nopoint", false, "", ""},
        {u".Text", false, "", ""},
        {u"ed.", false, "", ""},
    };
    for (const auto& C : Cases) {
        String Component, Property;
        EXPECT_EQ(SplitStoredItem(C.Line, Component, Property), C.Splits) << U8(C.Line);
        if (!C.Splits) continue;
        EXPECT_EQ(U8(Component), C.Component);
        EXPECT_EQ(U8(Property), C.Property);
    }
    EXPECT_EQ(U8(MakeStoredItem(u"a", u"")), "");
    EXPECT_EQ(U8(RenameStoredItem(u" old . Text", u"new")), "new.Text");
    EXPECT_EQ(U8(RenameStoredItem(u"bad", u"new")), "");
}

TEST_F(TFormStorageTest, PropertyLinesFollowRenamesLetterCaseAndRemovals) {
    TStoredForm Form(File, Section, {}, [](TStoredForm* F) {
        F->fs1->StoredProps()->Add(u"CHKCONST.checked"); // other letter case, the same property twice
    });
    Form.Show();
    Form.chkConst->SetName(u"chkRenamed");
    Form.chkConst->SetChecked(true);
    Form.Close();
    Form.appIniStor->Flush();
    // The key uses the component's current name and the property's declared spelling.
    EXPECT_TRUE(HasLine(File, "chkRenamed_Checked=TRUE"));
    EXPECT_EQ(U8(Form.fs1->StoredProps()->Strings(1)), "edPathToArduino.Text"); // blanks gone
    delete Form.lstSelectedBoards;
    for (int I = 0; I < Form.fs1->StoredProps()->Count(); ++I)
        EXPECT_EQ(U8(Form.fs1->StoredProps()->Strings(I)).find("lstSelectedBoards"), std::string::npos);
}
