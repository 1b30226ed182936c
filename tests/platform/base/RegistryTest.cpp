#include "platform/base/Registry.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Registry, FileLivesInTheUsersApplicationData) {
    EXPECT_TRUE(StartsText(GetAppDataDir() + u"/", TRegistry::FileName()));
    EXPECT_TRUE(EndsText(u"/registry.ini", TRegistry::FileName()));
}

TEST(Registry, KeysAreMadeOpenedAndDeleted) {
    TRegistry R;
    EXPECT_FALSE(R.OpenKeyReadOnly(u"Software\\Other\\Colors"));
    EXPECT_FALSE(R.OpenKey(u"Software\\Other\\Colors", false));
    ASSERT_TRUE(R.OpenKey(u"\\Software\\Other\\Colors\\", true));
    EXPECT_EQ(R.CurrentPath(), u"Software\\Other\\Colors");
    // A key holding only subkeys exists too; relative keys go below the open one.
    EXPECT_TRUE(R.KeyExists(u"\\Software\\Other"));
    ASSERT_TRUE(R.OpenKey(u"Comment", true));
    EXPECT_EQ(R.CurrentPath(), u"Software\\Other\\Colors\\Comment");
    R.CloseKey();
    EXPECT_TRUE(R.OpenKeyReadOnly(u"software\\other\\colors\\comment")) << "names compare without case";

    TRegistry Machine;
    Machine.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(Machine.KeyExists(u"Software\\Other")) << "each root has its own keys";

    EXPECT_TRUE(R.DeleteKey(u"\\Software\\Other"));
    EXPECT_FALSE(R.KeyExists(u"\\Software\\Other\\Colors\\Comment"));
    EXPECT_FALSE(R.DeleteKey(u"\\Software\\Other"));
}

TEST(Registry, ValuesKeepTheirKind) {
    {
        TRegistry W;
        ASSERT_TRUE(W.OpenKey(u"Software\\Test", true));
        W.WriteInteger(u"Foreground", 12);
        W.WriteInteger(u"Negative", -1);
        W.WriteString(u"Name", u"clRed, 1 ä");
        W.WriteString(u"Number", u"42");
    }
    TRegistry R;
    ASSERT_TRUE(R.OpenKeyReadOnly(u"Software\\Test"));
    struct Case {
        const char16_t* Name;
        TRegDataType Kind;
    };
    for (const Case& C : {Case{u"Foreground", rdInteger}, Case{u"Negative", rdInteger},
                          Case{u"Name", rdString}, Case{u"Number", rdString}, Case{u"Missing", rdUnknown}})
        EXPECT_EQ(R.GetDataType(C.Name), C.Kind) << U8(C.Name);
    EXPECT_EQ(R.ReadInteger(u"Foreground"), 12);
    EXPECT_EQ(R.ReadInteger(u"Negative"), -1);
    EXPECT_EQ(R.ReadString(u"Name"), u"clRed, 1 ä");
    EXPECT_EQ(R.ReadString(u"Missing"), u"");
    EXPECT_FALSE(R.ValueExists(u"Missing"));
    try {
        R.ReadInteger(u"Number");
        FAIL() << "a string is no integer";
    } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), u"Invalid data type for 'Number'");
    }
    EXPECT_THROW(R.ReadInteger(u"Missing"), ERegistryException);
    EXPECT_THROW(R.ReadString(u"Foreground"), ERegistryException);
    try {
        R.WriteInteger(u"Foreground", 1);
        FAIL() << "the key is open for reading only";
    } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), u"Failed to set data for 'Foreground'");
    }
    EXPECT_EQ(R.ReadInteger(u"Foreground"), 12);
}

TEST(Registry, BinaryValuesKeepTheirBytes) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey(u"Software\\Binary", true));
    const Byte Data[] = {0x00, 0x0d, 0x0a, 0xff, 0x41};
    R.WriteBinaryData(u"Block", Data, 5);
    EXPECT_EQ(R.GetDataType(u"Block"), rdBinary);
    EXPECT_EQ(R.GetDataSize(u"Block"), 5);
    Byte Back[8] = {};
    EXPECT_EQ(R.ReadBinaryData(u"Block", Back, 8), 5);
    EXPECT_EQ(std::vector<Byte>(Back, Back + 5), std::vector<Byte>(Data, Data + 5));
    EXPECT_EQ(R.ReadBinaryData(u"Block", Back, 2), 2) << "a small buffer takes what fits";

    R.WriteBinaryData(u"Empty", Data, 0);
    EXPECT_EQ(R.GetDataSize(u"Empty"), 0);
    EXPECT_EQ(R.GetDataSize(u"Missing"), -1);
    R.WriteInteger(u"Number", 7);
    EXPECT_EQ(R.GetDataSize(u"Number"), 4);
    EXPECT_THROW(R.ReadBinaryData(u"Number", Back, 8), ERegistryException);
    EXPECT_THROW(R.ReadBinaryData(u"Missing", Back, 8), ERegistryException);
}
