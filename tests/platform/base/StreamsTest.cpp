#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Shows a caller's block, as a stream over foreign memory does.
class TBlockStream : public TMemoryStream {
public:
    TBlockStream(void* Block, Int64 Size) { SetPointer(Block, Size); }
};

} // namespace

TEST(FileStream, CreateWriteReopenReadAndSeek) {
    TTempFolder Dir;
    const String Name = Dir.File("data.bin");
    {
        TFileStream F(Name, fmCreate);
        F.WriteBuffer("0123456789", 10);
        EXPECT_EQ(F.Size(), 10);
        EXPECT_EQ(F.Position(), 10);
        EXPECT_EQ(F.FileName(), Name);
    }
    TFileStream F(Name, fmOpenRead);
    char Buf[4] = {};
    EXPECT_EQ(F.Seek(-3, soFromEnd), 7);
    EXPECT_EQ(F.Read(Buf, 4), 3); // short at the end
    EXPECT_EQ(std::string(Buf, 3), "789");
    F.SetPosition(2);
    EXPECT_EQ(F.Seek(2, soFromCurrent), 4);
    F.ReadBuffer(Buf, 2);
    EXPECT_EQ(std::string(Buf, 2), "45");
    EXPECT_EQ(ThrownMessage<EReadError>([&] { F.ReadBuffer(Buf, 5); }), u"Stream read error");
    // A stream opened for reading cannot be written to.
    EXPECT_EQ(ThrownMessage<EWriteError>([&] { F.WriteBuffer("x", 1); }), u"Stream write error");
}

TEST(FileStream, OpenModes) {
    TTempFolder Dir;
    const String Name = Dir.File("modes.txt");
    WriteFileBytes(Name, BytesOf("abcdef"));
    {
        TFileStream F(Name, fmOpenWrite); // keeps the contents, writes over them
        F.WriteBuffer("XY", 2);
        char C;
        EXPECT_EQ(F.Read(&C, 1), 0);
    }
    EXPECT_EQ(ReadFileBytes(Name), BytesOf("XYcdef"));
    {
        TFileStream F(Name, fmOpenReadWrite);
        F.Seek(0, soFromEnd);
        F.WriteBuffer("!", 1);
        F.SetSize(4);
        EXPECT_EQ(F.Position(), 4);
        F.SetPosition(0);
        char Buf[4];
        F.ReadBuffer(Buf, 4);
        EXPECT_EQ(std::string(Buf, 4), "XYcd");
    }
    EXPECT_EQ(ReadFileBytes(Name), BytesOf("XYcd"));
    {
        TFileStream F(Name, fmCreate); // empties an existing file
        EXPECT_EQ(F.Size(), 0);
    }
    EXPECT_TRUE(ReadFileBytes(Name).empty());
}

TEST(FileStream, OpenAndCreateErrorsNameFileAndReason) {
    TTempFolder Dir;
    const String Missing = Dir.File("missing.txt");
    const String InMissingFolder = Dir.File("no/such.txt");
    const String Folder = Utf8ToString(Dir.Path());
    EXPECT_EQ(ThrownMessage<EFOpenError>([&] { TFileStream F(Missing, fmOpenRead); }),
              u"Cannot open file \"" + Missing + u"\". No such file or directory");
    EXPECT_EQ(ThrownMessage<EFCreateError>([&] { TFileStream F(InMissingFolder, fmCreate); }),
              u"Cannot create file \"" + InMissingFolder + u"\". No such file or directory");
    EXPECT_EQ(ThrownMessage<EFOpenError>([&] { TFileStream F(Folder, fmOpenRead); }),
              u"Cannot open file \"" + Folder + u"\". Is a directory");
    // Both are stream errors.
    EXPECT_THROW(TFileStream(Missing, fmOpenReadWrite), EStreamError);
}

TEST(FileStream, ExclusiveShareKeepsOtherOpensOut) {
    TTempFolder Dir;
    const String Name = Dir.File("locked.txt");
    WriteFileBytes(Name, BytesOf("keep"));
    {
        auto First = std::make_unique<TFileStream>(Name, fmOpenReadWrite | fmShareExclusive);
        EXPECT_THROW(TFileStream(Name, fmOpenRead | fmShareExclusive), EFOpenError);
        EXPECT_THROW(TFileStream(Name, fmOpenRead | fmShareDenyNone), EFOpenError);
        // A create that cannot get the file must not empty it.
        EXPECT_THROW(TFileStream(Name, fmCreate | fmShareExclusive), EFCreateError);
        EXPECT_EQ(ReadFileBytes(Name), BytesOf("keep"));

        // Another process is kept out too.
        pid_t Child = fork();
        ASSERT_GE(Child, 0);
        if (Child == 0) {
            int Code = 0;
            try {
                TFileStream F(Name, fmOpenRead | fmShareExclusive);
            } catch (const EFOpenError&) {
                Code = 7;
            }
            _exit(Code);
        }
        int Status = 0;
        ASSERT_EQ(waitpid(Child, &Status, 0), Child);
        EXPECT_TRUE(WIFEXITED(Status));
        EXPECT_EQ(WEXITSTATUS(Status), 7);
    }
    // Once it is closed the file opens again; shared opens get along with each other.
    TFileStream A(Name, fmOpenRead | fmShareDenyWrite);
    TFileStream B(Name, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TFileStream(Name, fmOpenReadWrite | fmShareExclusive), EFOpenError);
}

TEST(HandleStream, ReadBufferWaitsForEveryByteOfAPipe) {
    int Fds[2];
    ASSERT_EQ(pipe(Fds), 0);
    std::thread Writer([&] {
        THandleStream Out(Fds[1]);
        for (int I = 0; I < 5; ++I) {
            Out.WriteBuffer("ab", 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        close(Fds[1]);
    });
    THandleStream In(Fds[0]);
    char Buf[10];
    In.ReadBuffer(Buf, 10);
    EXPECT_EQ(std::string(Buf, 10), "ababababab");
    EXPECT_THROW(In.ReadBuffer(Buf, 1), EReadError); // the writer has gone
    Writer.join();
    close(Fds[0]);
}

// A file is read from its position to its end in one piece; a pipe, which has no size, to its end
// in as many pieces as its writer sends.
TEST(ReadAllBytes, ReadsFilesFromThePositionAndPipesToTheirEnd) {
    std::string Content(300 * 1024, 'x');
    for (size_t I = 0; I < Content.size(); I += 997)
        Content[I] = char('a' + I % 26);
    TTempFolder Dir;
    const String Name = Utf8ToString(Dir.Sys("big.bin"));
    WriteBytes(Dir.Sys("big.bin"), Content);
    {
        TFileStream File(Name, fmOpenRead);
        File.SetPosition(1000);
        const TBytes Rest = ReadAllBytes(File);
        EXPECT_EQ(std::string(Rest.begin(), Rest.end()), Content.substr(1000));
        EXPECT_TRUE(ReadAllBytes(File).empty());
    }
    int Fds[2];
    ASSERT_EQ(pipe(Fds), 0);
    std::thread Writer([&] {
        THandleStream Out(Fds[1]);
        for (size_t I = 0; I < Content.size(); I += 50000) {
            Out.WriteBuffer(Content.data() + I, Int64(std::min<size_t>(50000, Content.size() - I)));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        close(Fds[1]);
    });
    THandleStream In(Fds[0]);
    const TBytes All = ReadAllBytes(In);
    Writer.join();
    close(Fds[0]);
    EXPECT_EQ(std::string(All.begin(), All.end()), Content);
}

TEST(MemoryStream, GrowsSeeksAndResizes) {
    TMemoryStream M;
    M.WriteBuffer("hello", 5);
    EXPECT_EQ(M.Size(), 5);
    EXPECT_EQ(std::memcmp(M.Memory(), "hello", 5), 0);
    // Writing beyond the end fills the gap with zeros.
    M.Seek(2, soFromEnd);
    M.WriteBuffer("!", 1);
    EXPECT_EQ(M.Size(), 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(M.Memory()), 8), std::string("hello\0\0!", 8));
    EXPECT_EQ(M.Seek(-1, soFromBeginning), -1); // refused; the position stays
    EXPECT_EQ(M.Position(), 8);
    M.SetSize(3);
    EXPECT_EQ(M.Position(), 3);
    char C;
    EXPECT_EQ(M.Read(&C, 1), 0);
    M.SetCapacity(100);
    EXPECT_GE(M.Capacity(), 100);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(M.Memory()), 3), "hel");
    M.Clear();
    EXPECT_EQ(M.Size(), 0);
    EXPECT_EQ(M.Position(), 0);
}

TEST(MemoryStream, FilesAndOtherStreams) {
    TTempFolder Dir;
    const String Name = Dir.File("m.bin");
    TMemoryStream M;
    M.WriteBuffer("abcdef", 6);
    M.SaveToFile(Name);
    EXPECT_EQ(ReadFileBytes(Name), BytesOf("abcdef"));

    TMemoryStream Loaded;
    Loaded.WriteBuffer("old contents", 12);
    Loaded.LoadFromFile(Name);
    EXPECT_EQ(Loaded.Size(), 6);
    EXPECT_EQ(Loaded.Position(), 0);

    // LoadFromStream and CopyFrom(…, 0) take the whole source, wherever its position was.
    M.SetPosition(4);
    TMemoryStream Copy;
    Copy.LoadFromStream(&M);
    EXPECT_EQ(Copy.Size(), 6);
    M.SetPosition(5);
    TMemoryStream Target;
    EXPECT_EQ(Target.CopyFrom(&M, 0), 6);
    // A count copies from the current position.
    M.SetPosition(1);
    EXPECT_EQ(Target.CopyFrom(&M, 3), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Target.Memory()), size_t(Target.Size())), "abcdefbcd");
    EXPECT_THROW(Target.CopyFrom(&M, 10), EReadError);
    EXPECT_THROW(Loaded.LoadFromFile(Dir.File("missing")), EFOpenError);
}

TEST(MemoryStream, ForeignBlockIsCopiedBeforeAWrite) {
    char Block[] = "abc";
    TBlockStream S(Block, 3);
    char Buf[3];
    S.ReadBuffer(Buf, 3);
    EXPECT_EQ(std::string(Buf, 3), "abc");
    EXPECT_EQ(S.Memory(), reinterpret_cast<Byte*>(Block));
    S.SetPosition(1);
    S.WriteBuffer("X", 1);
    EXPECT_STREQ(Block, "abc"); // the caller's block is untouched
    EXPECT_EQ(std::string(reinterpret_cast<char*>(S.Memory()), 3), "aXc");
}

TEST(BytesAndStringStreams, BytesAndDataString) {
    TBytesStream B(TBytes{1, 2, 3});
    EXPECT_EQ(B.Size(), 3);
    B.Seek(0, soFromEnd);
    B.WriteBuffer("\x04", 1);
    EXPECT_EQ(B.Bytes(), (TBytes{1, 2, 3, 4}));

    TStringStream Utf8(u"\u00E4b");
    EXPECT_EQ(Utf8.Encoding(), TEncoding::Default());
    EXPECT_EQ(Utf8.Bytes(), (TBytes{0xC3, 0xA4, 'b'}));
    Utf8.Seek(0, soFromEnd);
    Utf8.WriteBuffer("\xE2\x82\xAC", 3);
    EXPECT_EQ(Utf8.DataString(), u"\u00E4b\u20AC");

    TStringStream Wide(u"a", TEncoding::Unicode());
    EXPECT_EQ(Wide.Bytes(), (TBytes{'a', 0}));
    TStringStream Ansi(TBytes{0x80, 'x'}, TEncoding::ANSI());
    EXPECT_EQ(Ansi.DataString(), u"\u20ACx");
    TStringStream Bad(TBytes{0xC3});
    EXPECT_THROW(Bad.DataString(), EEncodingError);
}
