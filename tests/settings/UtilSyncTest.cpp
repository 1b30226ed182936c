#include "settings/UtilSync.h"

#include "support/TestSupport.h"

#include <thread>
#include <unistd.h>

namespace {

String FreshName() {
    return Utf8ToString("settings-test/" + std::to_string(::getpid()) + "/" + std::to_string(::rand()));
}

} // namespace

TEST(UtilSync, MutexesByName) {
    const String Name = FreshName();
    TUtilMutex First(Name, false);
    EXPECT_FALSE(First.Existed());
    EXPECT_EQ(U8(First.Name()), U8(Name));
    TUtilMutex Second(Name, false);
    EXPECT_TRUE(Second.Existed());
    EXPECT_TRUE(TUtilMutex::Open(Name)->Existed());
    try {
        TUtilMutex::Open(FreshName());
        FAIL() << "opened a mutex that does not exist";
    } catch (const EUtilMutexError& E) {
        EXPECT_EQ(E.LastError(), Cardinal(ENOENT));
        EXPECT_TRUE(EndsStr(u"\r\nFailed to open mutex", E.Message())) << U8(E.Message());
        EXPECT_TRUE(StartsStr(u"Win32 error: ", E.Message())) << U8(E.Message());
    }
}

TEST(UtilSync, AnOwnedMutexMakesOtherProcessesWait) {
    const String Name = FreshName();
    TUtilMutex Owner(Name, true);
    EXPECT_EQ(RunInChild([&] { return TUtilMutex(Name, false).WaitFor(50) == wrTimeout ? 0 : 1; }), 0);
    EXPECT_TRUE(Owner.Release());
    EXPECT_EQ(RunInChild([&] { return TUtilMutex(Name, false).WaitForever() == wrSignaled ? 0 : 1; }), 0);
}

TEST(UtilSync, CriticalSectionMadeOnceUnderARace) {
    std::atomic<TUtilCriticalSection*> Section{nullptr};
    int Inside = 0, MostInside = 0, Entered = 0;
    std::vector<std::thread> Threads;
    for (int T = 0; T < 8; ++T)
        Threads.emplace_back([&] {
            for (int I = 0; I < 200; ++I) {
                TUtilCriticalSection::CreateAndEnter(Section);
                MostInside = std::max(MostInside, ++Inside);
                ++Entered;
                --Inside;
                Section.load()->Leave();
            }
        });
    for (auto& T : Threads)
        T.join();
    EXPECT_EQ(Entered, 1600);
    EXPECT_EQ(MostInside, 1);
    delete Section.load();
}
