#include "ide/MyObjects.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

TEST(TreeClass, CreateStoresThreeValuesAndDefaultsTheRest) {
    tTreeClass T(u"Blink.ino", u"/s/Blink/Blink.ino", ntFileSrc);
    EXPECT_EQ(T.Caption(), u"Blink.ino");
    EXPECT_EQ(T.FullPath(), u"/s/Blink/Blink.ino");
    EXPECT_EQ(T.NodeType(), ntFileSrc);
    EXPECT_EQ(T.TabKind(), tkNonSpecific);
    EXPECT_FALSE(T.SimpleCoding());
    EXPECT_EQ(T.LastModified(), 0.0);
}

TEST(TreeClass, CreateFullStoresAllSix) {
    tTreeClass T(u"a.h", u"/x/a.h", ntFileHeader, tkExamplesRO, true, 45000.5);
    EXPECT_EQ(T.TabKind(), tkExamplesRO);
    EXPECT_TRUE(T.SimpleCoding());
    EXPECT_EQ(T.LastModified(), 45000.5);
}

TEST(TreeClass, NodeTypeFollowsTheLastExtensionWithoutRegardToCase) {
    const struct {
        const char16_t* Name;
        tNodeType Type;
    } Cases[] = {
        {u"Blink.INO", ntFileSrc},        {u"blink.ino", ntFileSrc},      {u"BLINK.Ino", ntFileSrc},
        {u"old.pde", ntFileSrc},          {u"x.c", ntFileSrc},            {u"x.CPP", ntFileSrc},
        {u"x.h", ntFileHeader},           {u"x.txt", ntFileTxt},          {u"x.htm", ntFileHtml},
        {u"x.html", ntFileHtml},          {u"x.doc", ntFileDoc},          {u"x.pdf", ntFileDoc},
        {u"x.dll", ntFileDll},            {u"Morvane.prj", ntProjectConfig}, {u"x.hex", ntUnknown},
        {u"Makefile", ntUnknown},         {u"logo.png", ntUnknown},       {u"a.tar.gz", ntUnknown},
        {u"/s/dir.ino/readme", ntUnknown}, {u".ino", ntFileSrc},          {u"x.", ntUnknown},
        {u"x.inoo", ntUnknown},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(tTreeClass::GetNodeTypeFromFileName(C.Name), C.Type) << StringToUtf8(C.Name);
}

TEST(TreeClass, EnumerationsKeepTheirValueNames) {
    EXPECT_EQ(GetEnumName(TypeInfo<tNodeType>(), ntProjectConfig), u"ntProjectConfig");
    EXPECT_EQ(GetEnumName(TypeInfo<tTabKind>(), tkExamplesRO), u"tkExamplesRO");
    EXPECT_EQ(GetEnumValue(TypeInfo<tExtensions>(), u"exh"), ExH);
    EXPECT_EQ(sizeof(tNodeType), 1u);
}
