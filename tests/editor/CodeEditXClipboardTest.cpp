// The editor control on a real X server: a column block copied in one program pastes as a column
// block in another, its plain text reaches a program of another kind (xclip), and text put there
// by xclip pastes in the control's own mode. The test starts its own Xvfb and ends everything it
// started.

#include "CodeEditSupport.h"

#include "platform/gui/Clipboard.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child process with its standard input and output on pipes.
class TChild {
public:
    // Quiet: its error output goes nowhere (xclip tells on it what it waits for).
    TChild(const std::vector<std::string>& Args, const std::vector<std::pair<std::string, std::string>>& Env = {},
           bool Quiet = false) {
        int In[2], Out[2];
        if (pipe(In) != 0 || pipe(Out) != 0) throw std::runtime_error("no pipe");
        FPid = fork();
        if (FPid == 0) {
            dup2(In[0], 0);
            dup2(Out[1], 1);
            if (Quiet) {
                const int Null = open("/dev/null", O_WRONLY);
                dup2(Null, 2);
            }
            close(In[1]);
            close(Out[0]);
            for (const auto& [Name, Value] : Env)
                setenv(Name.c_str(), Value.c_str(), 1);
            std::vector<char*> Argv;
            for (const std::string& A : Args)
                Argv.push_back(const_cast<char*>(A.c_str()));
            Argv.push_back(nullptr);
            execvp(Argv[0], Argv.data());
            _exit(127);
        }
        close(In[0]);
        close(Out[1]);
        FIn = In[1];
        FOut = Out[0];
    }
    ~TChild() {
        CloseInput();
        if (FPid > 0 && !FExited) {
            kill(FPid, SIGTERM);
            Wait();
        }
        if (FOut >= 0) close(FOut);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    pid_t Pid() const { return FPid; }
    void Write(const std::string& Text) {
        if (write(FIn, Text.data(), Text.size()) != static_cast<ssize_t>(Text.size()))
            throw std::runtime_error("write to child failed");
    }
    void CloseInput() {
        if (FIn >= 0) close(FIn);
        FIn = -1;
    }
    // The next line of its output (without the line break); none at its end or after the time.
    std::optional<std::string> ReadLine(int Milliseconds = 20000) {
        for (;;) {
            const size_t Break = FBuffer.find('\n');
            if (Break != std::string::npos) {
                std::string Line = FBuffer.substr(0, Break);
                FBuffer.erase(0, Break + 1);
                return Line;
            }
            pollfd P{FOut, POLLIN, 0};
            if (poll(&P, 1, Milliseconds) <= 0) return std::nullopt;
            char Chunk[4096];
            const ssize_t N = read(FOut, Chunk, sizeof Chunk);
            if (N <= 0) return std::nullopt;
            FBuffer.append(Chunk, static_cast<size_t>(N));
        }
    }
    // The rest of the first line that begins with Prefix; none when no such line comes.
    std::optional<std::string> ReadLineStartingWith(const std::string& Prefix) {
        while (std::optional<std::string> Line = ReadLine())
            if (Line->rfind(Prefix, 0) == 0) return Line->substr(Prefix.size());
        return std::nullopt;
    }
    // Everything it writes until it ends, and its exit code.
    std::string ReadAll() {
        std::string All = FBuffer;
        FBuffer.clear();
        char Chunk[4096];
        for (ssize_t N; (N = read(FOut, Chunk, sizeof Chunk)) > 0;)
            All.append(Chunk, static_cast<size_t>(N));
        return All;
    }
    int Wait() {
        int Status = 0;
        waitpid(FPid, &Status, 0);
        FExited = true;
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    }

private:
    pid_t FPid = -1;
    int FIn = -1;
    int FOut = -1;
    bool FExited = false;
    std::string FBuffer;
};

// An X server of the test's own on a free display.
class TXServer {
public:
    TXServer() {
        int Fd[2];
        if (pipe(Fd) != 0) throw std::runtime_error("no pipe");
        FPid = fork();
        if (FPid == 0) {
            close(Fd[0]);
            const int Null = open("/dev/null", O_RDWR);
            dup2(Null, 1);
            dup2(Null, 2);
            const std::string DisplayFd = std::to_string(Fd[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", DisplayFd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "800x600x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(Fd[1]);
        std::string Number;
        pollfd P{Fd[0], POLLIN, 0};
        char C;
        while (poll(&P, 1, 20000) > 0 && read(Fd[0], &C, 1) == 1 && C != '\n')
            Number += C;
        close(Fd[0]);
        if (!Number.empty()) FDisplay = ":" + Number;
    }
    ~TXServer() {
        if (FPid <= 0) return;
        kill(FPid, SIGTERM);
        int Status = 0;
        waitpid(FPid, &Status, 0);
    }
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    // ":n", or empty when the server did not come up.
    const std::string& Display() const { return FDisplay; }

private:
    pid_t FPid = -1;
    std::string FDisplay;
};

std::string Escaped(const String& S) {
    std::string Out;
    for (char C : U8(S))
        Out += C == '\r' ? std::string("\\r") : C == '\n' ? std::string("\\n") : std::string(1, C);
    return Out;
}

// Lets the peer's application answer the X server until its standard input ends.
void ServeUntilInputEnds() {
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    WaitUntil(
        [] {
            char C;
            return read(0, &C, 1) == 0;
        },
        60000);
}

bool RunningAsPeer() {
    const char* Platform = std::getenv("MORVANE_TEST_QPA_PLATFORM");
    return Platform && std::strcmp(Platform, "xcb") == 0;
}

} // namespace

// ---- The peers: this program again, on the X server ----------------------------------------------

using CodeEditXClipboardPeer = TCodeEditFixture;

// Copies a column block of three rows and keeps the clipboard until its input ends.
TEST_F(CodeEditXClipboardPeer, DISABLED_CopyAColumnBlock) {
    ASSERT_TRUE(RunningAsPeer());
    Edit->SetSelectionMode(smColumn);
    Edit->SetText(u"abcd\r\nefgh\r\nijkl");
    Edit->SetCaretAndSelection({4, 3}, {2, 1}, {4, 3});
    Edit->CopyToClipboard();
    std::cout << "\ncopied\n" << std::flush;
    ServeUntilInputEnds();
}

// Pastes into two lines of "1234" at (3, 1), in the mode its input names, and tells the text.
TEST_F(CodeEditXClipboardPeer, DISABLED_Paste) {
    ASSERT_TRUE(RunningAsPeer());
    std::string Mode;
    std::getline(std::cin, Mode);
    Edit->SetSelectionMode(Mode == "column" ? smColumn : smNormal);
    Edit->SetText(u"1234\r\n1234");
    Edit->SetCaretXY({3, 1});
    ASSERT_TRUE(WaitUntil([this] { return Edit->CanPaste(); }, 10000));
    Edit->PasteFromClipboard();
    std::cout << "\npasted " << Escaped(Edit->Text()) << "\n" << std::flush;
}

// ---- The test -----------------------------------------------------------------------------------

TEST(CodeEditXClipboard, BlocksAndTextTravelBetweenPrograms) {
    TXServer Server;
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    const std::vector<std::pair<std::string, std::string>> PeerEnv{
        {"DISPLAY", Server.Display()}, {"MORVANE_TEST_QPA_PLATFORM", "xcb"}};
    const std::vector<std::pair<std::string, std::string>> XEnv{{"DISPLAY", Server.Display()}};
    auto Peer = [&](const char* Test) {
        return std::make_unique<TChild>(
            std::vector<std::string>{"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                     std::string("--gtest_filter=CodeEditXClipboardPeer.DISABLED_") + Test},
            PeerEnv);
    };
    auto Xclip = [&](std::vector<std::string> Args) {
        Args.insert(Args.begin(), {"xclip", "-selection", "clipboard"});
        TChild X(Args, XEnv, true);
        X.CloseInput();
        std::string Out = X.ReadAll();
        X.Wait();
        return Out;
    };

    // One program copies a column block and keeps the clipboard.
    auto Copier = Peer("CopyAColumnBlock");
    ASSERT_EQ(Copier->ReadLineStartingWith("copied"), std::optional<std::string>(""));
    // Another kind of program reads its plain text, and our block beside it.
    EXPECT_EQ(Xclip({"-o"}), "bc\r\nfg\r\njk");
    const std::string Block =
        Xclip({"-t", "application/x-morvane-format.CodeEdit%20Control%20Block%20Type", "-o"});
    EXPECT_EQ(Block, std::string("\x02") + "bc\r\nfg\r\njk" + std::string(1, '\0'));
    // A second program of ours pastes it as a column block, though its own mode is normal.
    {
        auto Paster = Peer("Paste");
        Paster->Write("normal\n");
        EXPECT_EQ(Paster->ReadLineStartingWith("pasted ").value_or("(nothing)"), "12bc34\\r\\n12fg34\\r\\n  jk");
        EXPECT_EQ(Paster->Wait(), 0);
    }
    Copier->CloseInput();
    EXPECT_EQ(Copier->Wait(), 0);

    // Text that xclip offers has no block of ours: it is pasted in the control's own mode.
    TChild Offer({"xclip", "-quiet", "-selection", "clipboard", "-i"}, XEnv, true);
    Offer.Write("from\nxclip");
    Offer.CloseInput();
    ASSERT_TRUE(WaitUntil([&] { return Xclip({"-o"}) == "from\nxclip"; }, 10000));
    {
        auto Paster = Peer("Paste");
        Paster->Write("column\n");
        EXPECT_EQ(Paster->ReadLineStartingWith("pasted ").value_or("(nothing)"), "12from34\\r\\n12xclip34");
        EXPECT_EQ(Paster->Wait(), 0);
    }
}
