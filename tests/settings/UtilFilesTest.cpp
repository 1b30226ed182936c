#include "settings/UtilFiles.h"

#include "platform/base/Files.h"
#include "support/TestSupport.h"

TEST(UtilFiles, TrailingDelimiters) {
    EXPECT_EQ(U8(EnsureTrailingBackslash(u"/opt/tool")), "/opt/tool/");
    EXPECT_EQ(U8(EnsureTrailingBackslash(u"/opt/tool/")), "/opt/tool/");
    EXPECT_EQ(U8(EnsureTrailingBackslash(u"")), "/");
    EXPECT_EQ(U8(StripTrailingBackslash(u"/opt/tool/")), "/opt/tool");
    EXPECT_EQ(U8(StripTrailingBackslash(u"/opt/tool")), "/opt/tool");
    EXPECT_EQ(U8(StripTrailingBackslash(u"/")), "/"); // the root, not the current folder
}

TEST(UtilFiles, DefaultExtensions) {
    struct {
        const char16_t* Path;
        const char16_t* Ext;
        const char* Expected;
    } const Cases[] = {
        {u"name.", u"ini", "name.ini"},
        {u"name.INI", u".ini", "name.INI"},
        {u"name.txt", u"ini", "name.txt.ini"},
        {u"name", u"ini", "name.ini"},
        {u"", u"ini", ""},
        {u"name", u"", "name"},
        {u"/a.b/name", u"sto", "/a.b/name.sto"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(U8(AddDefaultExtension(Case.Path, Case.Ext)), Case.Expected) << U8(Case.Path);
}

TEST(UtilFiles, AbsoluteAndNetworkPaths) {
    struct {
        const char16_t* Path;
        bool Absolute, Unc;
    } const Cases[] = {
        {u"/x", true, false},
        {u"x", false, false},
        {u"./x", false, false},
        {u"", false, false},
        {u"//server/share", true, true},
        {u"//server-1.a_b/share/x", true, true},
        {u"//ser ver/share", true, false},
        {u"//server/sh:are", true, false},
        {u"//server", true, false},
        {u"//?/UNC/server", true, true},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(IsAbsolutePath(Case.Path), Case.Absolute) << U8(Case.Path);
        EXPECT_EQ(IsUncPath(Case.Path), Case.Unc) << U8(Case.Path);
    }
}

TEST(UtilFiles, FilesAndFolders) {
    TTempFolder Temp;
    WriteBytes(Temp.Sys("f"), "x");
    EXPECT_TRUE(FileExistsNotFolder(Temp / "f"));
    EXPECT_FALSE(FileExistsNotFolder(Temp.Dir()));
    EXPECT_FALSE(FileExistsNotFolder(u""));
    EXPECT_EQ(U8(TempFolder() + u"/"), U8(GetTempDir()));
    EXPECT_EQ(U8(UserAppDataFolder()), U8(GetAppDataDir()));
    EXPECT_EQ(U8(SpecialFolderPath(CSIDL_APPDATA)), U8(GetAppDataDir()));
    EXPECT_EQ(U8(SpecialFolderPath(5)), "");
    EXPECT_EQ(U8(WindowsFolder()), "");
    EXPECT_EQ(WindowsVersion(), 0);
    EXPECT_GT(SystemInfo().ProcessorCount, 0);
    EXPECT_GT(SystemInfo().PageSize, 0);
}

TEST(UtilFiles, GuidsAndCharacterCopies) {
    const TGUID G{0x7DAD5220, 0x46EA, 0x11D5, {0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45}};
    EXPECT_EQ(U8(GuidToText(G)), "{7dad5220-46ea-11d5-b0c0-4854e825f345}");
    String Dest = u"......";
    CopyChars(u"abcdef", 2, Dest, 3, 1);
    EXPECT_EQ(U8(Dest), ".cde..");
    CopyChars(u"xy", 0, Dest, 2, 5);
    EXPECT_EQ(U8(Dest), ".cde.xy");
    Byte Block[4] = {1, 2, 3, 4};
    ClearMemoryBlock(Block, 2);
    ClearMemoryBlock(Block, -1);
    EXPECT_EQ(Block[1], 0);
    EXPECT_EQ(Block[2], 3);
}
