#include "platform/base/VersionRecord.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "support/TestSupport.h"

namespace {

constexpr TVersionRecordString SampleStrings[] = {{u"ProductName", u"Sample"}, {u"FileVersion", u"1.2.3.4"}};
constexpr TVersionRecordContents Sample{
    .FileVersion = {1, 2, 3, 4}, .ProductVersion = {1, 2, 0, 0}, .Strings = SampleStrings};

// The record is a compile-time constant when a program embeds it.
constexpr size_t SampleSize = BuildVersionRecord(Sample).size();
static_assert(SampleSize % 4 == 0);

Word At16(const std::vector<Byte>& B, size_t I) {
    return static_cast<Word>(B[I] | B[I + 1] << 8);
}

} // namespace

TEST(VersionRecord, BlockLayout) {
    const std::vector<Byte> B = BuildVersionRecord(Sample);
    ASSERT_EQ(B.size(), SampleSize);
    EXPECT_EQ(At16(B, 0), B.size()); // the root's length is the whole record
    EXPECT_EQ(At16(B, 2), 52);       // the fixed information
    EXPECT_EQ(At16(B, 4), 0);
    String Key;
    for (size_t I = 6; At16(B, I); I += 2)
        Key += At16(B, I);
    EXPECT_EQ(U8(Key), "VS_VERSION_INFO");
    // Header 6 + key 32 = 38, aligned to 40: the signature, then the versions.
    EXPECT_EQ(At16(B, 40) | At16(B, 42) << 16, 0xFEEF04BD);
    EXPECT_EQ(At16(B, 48), 2); // minor, then major
    EXPECT_EQ(At16(B, 50), 1);
    EXPECT_EQ(At16(B, 52), 4);
    EXPECT_EQ(At16(B, 54), 3);
}

TEST(VersionRecord, SectionsOfElfFiles) {
    TTempFolder Temp;
    // Our own test program carries no version record, but it is an ELF file with sections.
    EXPECT_FALSE(ReadVersionRecord(ProgramFile()).has_value());
    EXPECT_TRUE(ReadElfSection(ProgramFile(), ".text").has_value());
    EXPECT_FALSE(ReadElfSection(ProgramFile(), ".no-such-section").has_value());

    // Not ELF, an ELF header that points nowhere, a file cut short.
    WriteBytes(Temp.Sys("text"), "just text, long enough to be taken for a header of some other file format");
    EXPECT_FALSE(ReadElfSection(Temp / "text", ".text").has_value());
    std::string Bad(64, '\0');
    Bad.replace(0, 6,
                "\x7F"
                "ELF\x02\x01");
    Bad[0x28] = '\x7F'; // section headers far beyond the end
    Bad[0x3A] = 64;
    Bad[0x3C] = 3;
    WriteBytes(Temp.Sys("bad"), Bad);
    EXPECT_FALSE(ReadElfSection(Temp / "bad", ".text").has_value());
    const std::string Own = ReadBytes(StringToUtf8(ProgramFile()));
    WriteBytes(Temp.Sys("cut"), Own.substr(0, Own.size() / 3));
    EXPECT_NO_THROW(ReadElfSection(Temp / "cut", ".text"));

    EXPECT_THROW(ReadElfSection(Temp / "missing", ".text"), EOSError);
}
