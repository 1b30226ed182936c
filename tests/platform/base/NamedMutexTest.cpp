#include "platform/base/NamedMutex.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "support/TestSupport.h"

#include <atomic>
#include <thread>
#include <unistd.h>

namespace {

// A name no other run has used.
String FreshName(const char* Tag) {
    return Utf8ToString(std::string("test/") + Tag + "/" + std::to_string(::getpid()) + "/" +
                        std::to_string(::rand()));
}

} // namespace

TEST(NamedMutex, LockFileNamesAreSafeAndDistinct) {
    struct {
        String Name;
        String File;
    } const Cases[] = {
        {u"Plain-Name_1.2", u"Plain-Name_1.2.lock"},
        {u"a/b", u"a%2Fb.lock"},
        {u"a_b", u"a_b.lock"},
        {u"100%", u"100%25.lock"},
        {u"..", u"%...lock"},
        {u"\u00E4 b", u"%C3%A4%20b.lock"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(U8(TNamedMutex::LockFileName(Case.Name)), U8(Case.File));
    const String Long(400, u'x');
    const String File = TNamedMutex::LockFileName(Long);
    EXPECT_LT(File.size(), 200u);
    EXPECT_NE(File, TNamedMutex::LockFileName(Long + u"y"));
}

TEST(NamedMutex, SecondOpenSeesThatTheNameExisted) {
    const String Name = FreshName("exists");
    TNamedMutex First(Name);
    EXPECT_FALSE(First.Existed());
    TNamedMutex Second(Name);
    EXPECT_TRUE(Second.Existed());
    TNamedMutex Opened(Name, TNamedMutex::omOpenExisting);
    EXPECT_TRUE(Opened.Existed());
    try {
        TNamedMutex Missing(FreshName("missing"), TNamedMutex::omOpenExisting);
        FAIL() << "a missing name opened";
    } catch (const EOSError& E) {
        EXPECT_EQ(E.ErrorCode(), ENOENT);
    }
}

TEST(NamedMutex, OwnedByOneThreadWhichMayAcquireAgain) {
    TNamedMutex M(FreshName("threads"));
    ASSERT_TRUE(M.Acquire(0));
    ASSERT_TRUE(M.Acquire(0)); // again, by the owner
    std::atomic<int> Other{-1};
    std::thread([&] {
        Other = M.Acquire(20);
        EXPECT_FALSE(M.Release()); // not the owner
    }).join();
    EXPECT_EQ(Other, 0);
    EXPECT_TRUE(M.Release());
    EXPECT_TRUE(M.Release());
    EXPECT_FALSE(M.Release()); // nothing left to release
    std::thread([&] {
        Other = M.Acquire(0);
        M.Release();
    }).join();
    EXPECT_EQ(Other, 1);
}

TEST(NamedMutex, HeldAgainstOtherProcessesUntilReleasedOrTheHolderEnds) {
    const String Name = FreshName("processes");
    TNamedMutex M(Name);
    ASSERT_TRUE(M.Acquire(-1));
    // 0: the child could not get it while we hold it.
    EXPECT_EQ(RunInChild([&] {
                  TNamedMutex C(Name);
                  return C.Acquire(50) ? 1 : 0;
              }),
              0);
    ASSERT_TRUE(M.Release());
    // The child takes it and ends without releasing: the lock goes with the process.
    EXPECT_EQ(RunInChild([&] {
                  TNamedMutex C(Name);
                  return C.Acquire(1000) ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(M.Acquire(1000));
    M.Release();
}

TEST(NamedMutex, UnnamedMutexHasNoFile) {
    TNamedMutex A(u""), B(u"");
    EXPECT_TRUE(A.Acquire(0));
    EXPECT_TRUE(B.Acquire(0)); // each unnamed mutex is its own
    EXPECT_TRUE(A.Release());
    EXPECT_TRUE(B.Release());
}
