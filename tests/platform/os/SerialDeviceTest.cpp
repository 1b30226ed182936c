// Serial devices on real pseudo-terminal pairs: the COM mapping, exclusive opening against this
// and other processes, line settings at any rate, traffic both ways, and a device pulled away.

#include "platform/os/SerialDevice.h"

#include "support/PtyPair.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string ReadFor(TSerialDevice& D, std::size_t Count) {
    std::string Got;
    for (int Round = 0; Round < 250 && Got.size() < Count; ++Round) {
        D.Wait(true, false, nullptr, 20);
        char Buf[256];
        const int N = D.Read(Buf, sizeof Buf);
        if (N > 0) Got.append(Buf, static_cast<std::size_t>(N));
    }
    return Got;
}

// The environment variable for the length of a scope.
struct TEnv {
    std::string Name;
    TEnv(const char* AName, const std::string& Value) : Name(AName) { setenv(AName, Value.c_str(), 1); }
    ~TEnv() { unsetenv(Name.c_str()); }
};

} // namespace

TEST(SerialDevice, ComNumbersMapToDevices) {
    TTempFolder Temp;
    const std::string Own = std::string(std::getenv("XDG_CONFIG_HOME")) + "/" +
                            std::filesystem::read_symlink("/proc/self/exe").filename().string() + "/ports";
    std::filesystem::create_directories(Own);
    std::filesystem::create_symlink("/dev/null", Own + "/COM2");
    struct TCase {
        int Com;
        const char* Device;
    } Cases[] = {{1, "/dev/ttyACM0"},
                 {2, nullptr},
                 {16, "/dev/ttyACM15"},
                 {17, "/dev/ttyUSB0"},
                 {32, "/dev/ttyUSB15"},
                 {33, "/dev/ttyS0"},
                 {48, "/dev/ttyS15"},
                 {49, ""},
                 {0, ""},
                 {-3, ""},
                 {256, ""}};
    for (const TCase& C : Cases) {
        const std::string Want = C.Device ? C.Device : Own + "/COM2";
        EXPECT_EQ(StringToUtf8(SerialPortDevice(C.Com)), Want) << C.Com;
    }
    std::filesystem::remove_all(Own);
    // A ports folder named by MORVANE_PORTS holds the only ports there are.
    TEnv Ports("MORVANE_PORTS", Temp.Path());
    std::filesystem::create_symlink("/dev/null", Temp.Sys("COM7"));
    EXPECT_EQ(StringToUtf8(SerialPortDevice(7)), Temp.Sys("COM7"));
    EXPECT_EQ(SerialPortDevice(1), u"");
    EXPECT_EQ(SerialPortDevice(33), u"");
}

TEST(SerialDevice, OpensExclusivelyAndTellsAbsentFromBusy) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 3, 4);
    std::filesystem::create_symlink(Temp.Sys("gone"), Temp.Sys("ports/COM8"));
    WriteBytes(Temp.Sys("ports/plain"), "not a line");
    std::filesystem::create_symlink(Temp.Sys("ports/plain"), Temp.Sys("ports/COM9"));

    TSerialDevice D;
    EXPECT_EQ(D.Open(5), sorAbsent); // no entry
    EXPECT_EQ(D.Open(8), sorAbsent); // a link to nothing
    EXPECT_EQ(D.Open(9), sorAbsent); // a file that is no serial line
    EXPECT_FALSE(D.IsOpen());
    ASSERT_EQ(D.Open(3), sorOpened);
    TSerialDevice Second;
    EXPECT_EQ(Second.Open(3), sorBusy); // this process already holds it
    D.Close();
    {
        TPortHolder Holder(Pair.Link(3));
        EXPECT_EQ(D.Open(3), sorBusy);
        EXPECT_FALSE(D.IsOpen());
    }
    EXPECT_EQ(D.Open(3), sorOpened);
}

TEST(SerialDevice, LineSettingsTakeAnyRateAndRefuseWhatNoLineDoes) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerialDevice D;
    ASSERT_EQ(D.Open(1), sorOpened);
    struct TCase {
        TSerialLine Line;
        bool Accepted;
    } Cases[] = {
        {{9600, 8, 0, 0}, true},   {{921600, 7, 2, 2}, true}, {{250000, 5, 1, 1}, true},
        {{115200, 6, 3, 0}, true}, {{31250, 8, 4, 2}, true},  {{9600, 4, 0, 0}, false},
        {{9600, 8, 0, 1}, false},  {{0, 8, 0, 0}, false},     {{9600, 8, 5, 0}, false},
    };
    for (const TCase& C : Cases) {
        EXPECT_EQ(D.SetLine(C.Line), C.Accepted) << C.Line.BaudRate << " " << int(C.Line.ByteSize);
        if (!C.Accepted) continue;
        TSerialLine Back;
        ASSERT_TRUE(D.GetLine(Back));
        EXPECT_EQ(Back.BaudRate, C.Line.BaudRate);
        // A pseudo-terminal keeps the rate and the stop bits; it carries 8 bits without parity.
        EXPECT_EQ(Back.StopBits != 0, C.Line.StopBits != 0);
    }
}

TEST(SerialDevice, BytesGoBothWaysAndAPulledDeviceHangsUp) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerialDevice D;
    ASSERT_EQ(D.Open(1), sorOpened);
    ASSERT_TRUE(D.SetLine(TSerialLine{115200}));
    std::string All;
    for (int I = 0; I < 256; ++I)
        All += static_cast<char>(I);
    Pair.Send(All);
    EXPECT_EQ(ReadFor(D, All.size()), All); // every byte value passes unchanged
    EXPECT_EQ(D.InQueue(), 0);
    ASSERT_EQ(D.Write("to the board", 12), 12);
    EXPECT_EQ(Pair.Receive(12), "to the board");

    // Woken from another thread while it waits on a quiet line.
    TSerialWaker Waker;
    std::thread T([&] { Waker.Signal(); });
    EXPECT_EQ(D.Wait(true, false, &Waker, 5000), swWoken);
    T.join();
    Waker.Clear();
    EXPECT_EQ(D.Wait(true, false, &Waker, 10), 0);

    Pair.Kill();
    EXPECT_TRUE(D.Wait(true, false, nullptr, 5000) & swHangup);
    // A hung-up device is ready for ever; a thread that only waits for its waker still sleeps.
    EXPECT_TRUE(D.Wait(false, false, &Waker, 5000) & swHangup);
    EXPECT_FALSE(Waker.WaitFor(20));
    std::thread U([&] { Waker.Signal(); });
    EXPECT_TRUE(Waker.WaitFor(5000));
    U.join();
    EXPECT_EQ(D.Write("x", 1), -1);
    EXPECT_EQ(D.InQueue(), -1);
    D.Close();
    Pair.Start();
    EXPECT_EQ(D.Open(1), sorOpened); // back under the same number
}
