#include "platform/os/SerialDevice.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"

// termios2 (any baud rate) comes from the kernel's headers, which clash with <termios.h>.
#include <asm/termbits.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <linux/serial.h>

namespace {

std::string Env(const char* Name) {
    const char* V = std::getenv(Name);
    return V ? std::string(V) : std::string();
}

bool Exists(const std::string& Path) {
    struct stat St;
    return lstat(Path.c_str(), &St) == 0;
}

std::string ProgramName() {
    String Name = ExtractFileName(ProgramFile());
    const std::size_t Dot = Name.rfind(u'.');
    if (Dot != String::npos && Dot > 0) Name.resize(Dot);
    return StringToUtf8(Name);
}

// The standard constant of a baud rate; 0 for a rate that has none.
speed_t StandardSpeed(Cardinal Rate) {
    static const struct {
        Cardinal Rate;
        speed_t Speed;
    } Table[] = {{50, B50},         {75, B75},           {110, B110},         {134, B134},
                 {150, B150},       {200, B200},         {300, B300},         {600, B600},
                 {1200, B1200},     {1800, B1800},       {2400, B2400},       {4800, B4800},
                 {9600, B9600},     {19200, B19200},     {38400, B38400},     {57600, B57600},
                 {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
                 {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
                 {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
                 {3500000, B3500000}, {4000000, B4000000}};
    for (const auto& E : Table)
        if (E.Rate == Rate) return E.Speed;
    return 0;
}

} // namespace

String SerialPortDevice(int ComNumber) {
    if (ComNumber < 1 || ComNumber > 255) return String();
    const std::string Entry = "COM" + std::to_string(ComNumber);
    const std::string Ports = Env("MORVANE_PORTS");
    if (!Ports.empty()) {
        const std::string Path = Ports + "/" + Entry;
        return Exists(Path) ? Utf8ToString(Path) : String();
    }
    std::string Config = Env("XDG_CONFIG_HOME");
    if (Config.empty()) Config = Env("HOME") + "/.config";
    const std::string Own = Config + "/" + ProgramName() + "/ports/" + Entry;
    if (Exists(Own)) return Utf8ToString(Own);
    static const char* const Families[] = {"/dev/ttyACM", "/dev/ttyUSB", "/dev/ttyS"};
    if (ComNumber > 48) return String();
    return Utf8ToString(Families[(ComNumber - 1) / 16] + std::to_string((ComNumber - 1) % 16));
}

String SerialPortDeviceName(int ComNumber) {
    const String Path = SerialPortDevice(ComNumber);
    if (Path.empty()) return Path;
    char* Real = realpath(StringToUtf8(Path).c_str(), nullptr);
    if (!Real) return Path;
    const String Result = Utf8ToString(Real);
    std::free(Real);
    return Result;
}

bool SerialPortExists(int ComNumber) {
    const String Path = SerialPortDevice(ComNumber);
    struct stat St;
    return !Path.empty() && stat(StringToUtf8(Path).c_str(), &St) == 0 && S_ISCHR(St.st_mode);
}

// ---- Waker -------------------------------------------------------------------------------------

TSerialWaker::TSerialWaker() : FHandle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TSerialWaker::~TSerialWaker() {
    if (FHandle >= 0) close(FHandle);
}

void TSerialWaker::Signal() {
    const uint64_t One = 1;
    [[maybe_unused]] ssize_t N = write(FHandle, &One, sizeof One);
}

void TSerialWaker::Clear() {
    uint64_t Count;
    [[maybe_unused]] ssize_t N = read(FHandle, &Count, sizeof Count);
}

bool TSerialWaker::WaitFor(int Timeout) const {
    struct pollfd P = {FHandle, POLLIN, 0};
    int N;
    do
        N = poll(&P, 1, Timeout);
    while (N < 0 && errno == EINTR);
    return N > 0 && (P.revents & POLLIN);
}

// ---- Device ------------------------------------------------------------------------------------

TSerialOpenResult TSerialDevice::Open(int ComNumber) {
    const String Path = SerialPortDevice(ComNumber);
    if (Path.empty()) {
        errno = ENOENT;
        return sorAbsent;
    }
    return OpenPath(Path);
}

TSerialOpenResult TSerialDevice::OpenPath(const String& Path) {
    Close();
    const int Fd = open(StringToUtf8(Path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        return errno == ENOENT || errno == ENXIO || errno == ENODEV || errno == ENOTDIR ? sorAbsent : sorBusy;
    auto Fail = [Fd](int Error, TSerialOpenResult Result) {
        close(Fd);
        errno = Error;
        return Result;
    };
    struct termios2 T;
    if (ioctl(Fd, TCGETS2, &T) != 0) return Fail(ENOTTY, sorAbsent);
    // The lock holds against every process, root included; the exclusive mode keeps other
    // openers out that do not ask for the lock.
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) return Fail(EBUSY, sorBusy);
    if (ioctl(Fd, TIOCEXCL) != 0) return Fail(errno, sorBusy);
    FHandle = Fd;
    return sorOpened;
}

void TSerialDevice::Attach(int Handle) {
    Close();
    FHandle = Handle;
}

void TSerialDevice::Close() {
    if (FHandle < 0) return;
    ioctl(FHandle, TIOCNXCL);
    close(FHandle);
    FHandle = -1;
}

bool TSerialDevice::SetLine(const TSerialLine& Line) {
    struct termios2 T;
    if (FHandle < 0 || ioctl(FHandle, TCGETS2, &T) != 0) return false;
    static const tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
    if (Line.ByteSize < 5 || Line.ByteSize > 8 || Line.Parity > 4 || Line.StopBits > 2) return false;
    // One and a half stop bits exist only beside five data bits, where the line takes "two" so.
    if (Line.StopBits == 1 && Line.ByteSize != 5) return false;
    if (Line.BaudRate == 0) return false;
    // Raw and binary: no line editing, no translation, no echo, reads return what is there.
    T.c_iflag = Line.ParityCheck ? INPCK : IGNPAR;
    if (Line.XOnXOffOut) T.c_iflag |= IXON;
    if (Line.XOnXOffIn) T.c_iflag |= IXOFF;
    T.c_oflag = 0;
    T.c_lflag = 0;
    const speed_t Speed = StandardSpeed(Line.BaudRate);
    T.c_cflag = CREAD | CLOCAL | HUPCL | Sizes[Line.ByteSize - 5] | (Speed ? Speed : BOTHER) |
                ((Speed ? Speed : BOTHER) << IBSHIFT);
    if (Line.StopBits != 0) T.c_cflag |= CSTOPB;
    if (Line.Parity != 0) T.c_cflag |= PARENB;
    if (Line.Parity == 1 || Line.Parity == 3) T.c_cflag |= PARODD;
    if (Line.Parity >= 3) T.c_cflag |= CMSPAR;
    if (Line.RtsCtsFlow) T.c_cflag |= CRTSCTS;
    T.c_ispeed = Line.BaudRate;
    T.c_ospeed = Line.BaudRate;
    T.c_cc[VMIN] = 0;
    T.c_cc[VTIME] = 0;
    T.c_cc[VSTART] = Line.XonChar;
    T.c_cc[VSTOP] = Line.XoffChar;
    if (ioctl(FHandle, TCSETS2, &T) != 0) return false;
    // A driver keeps the framing it can do (a pseudo-terminal always carries 8 bits without
    // parity); a rate it cannot keep is a refusal.
    TSerialLine Back;
    return GetLine(Back) && Back.BaudRate == Line.BaudRate;
}

bool TSerialDevice::GetLine(TSerialLine& Line) const {
    struct termios2 T;
    if (FHandle < 0 || ioctl(FHandle, TCGETS2, &T) != 0) return false;
    Line = TSerialLine();
    Line.BaudRate = T.c_ospeed;
    switch (T.c_cflag & CSIZE) {
    case CS5:
        Line.ByteSize = 5;
        break;
    case CS6:
        Line.ByteSize = 6;
        break;
    case CS7:
        Line.ByteSize = 7;
        break;
    default:
        Line.ByteSize = 8;
        break;
    }
    if (T.c_cflag & PARENB) {
        const bool Odd = T.c_cflag & PARODD;
        Line.Parity = (T.c_cflag & CMSPAR) ? (Odd ? 3 : 4) : (Odd ? 1 : 2);
    }
    if (T.c_cflag & CSTOPB) Line.StopBits = Line.ByteSize == 5 ? 1 : 2;
    Line.ParityCheck = T.c_iflag & INPCK;
    Line.RtsCtsFlow = T.c_cflag & CRTSCTS;
    Line.XOnXOffOut = T.c_iflag & IXON;
    Line.XOnXOffIn = T.c_iflag & IXOFF;
    Line.XonChar = T.c_cc[VSTART];
    Line.XoffChar = T.c_cc[VSTOP];
    return true;
}

bool TSerialDevice::SetModemLines(int Bits, bool On) {
    return FHandle >= 0 && ioctl(FHandle, On ? TIOCMBIS : TIOCMBIC, &Bits) == 0;
}

bool TSerialDevice::GetModemLines(int& Bits) const {
    Bits = 0;
    return FHandle >= 0 && ioctl(FHandle, TIOCMGET, &Bits) == 0;
}

bool TSerialDevice::SetBreak(bool On) {
    return FHandle >= 0 && ioctl(FHandle, On ? TIOCSBRK : TIOCCBRK) == 0;
}

bool TSerialDevice::GetErrorCounts(TSerialErrorCounts& Counts) const {
    Counts = TSerialErrorCounts();
    struct serial_icounter_struct C;
    if (FHandle < 0 || ioctl(FHandle, TIOCGICOUNT, &C) != 0) return false;
    Counts = {C.frame, C.overrun, C.parity, C.brk, C.buf_overrun};
    return true;
}

int TSerialDevice::InQueue() const {
    int N = 0;
    return FHandle >= 0 && ioctl(FHandle, TIOCINQ, &N) == 0 ? N : -1;
}

int TSerialDevice::OutQueue() const {
    int N = 0;
    return FHandle >= 0 && ioctl(FHandle, TIOCOUTQ, &N) == 0 ? N : -1;
}

int TSerialDevice::Read(void* Buf, int Size) {
    if (FHandle < 0) {
        errno = EBADF;
        return -1;
    }
    if (Size <= 0) return 0;
    for (;;) {
        const ssize_t N = read(FHandle, Buf, static_cast<std::size_t>(Size));
        if (N >= 0) return static_cast<int>(N);
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

int TSerialDevice::Write(const void* Buf, int Size) {
    if (FHandle < 0) {
        errno = EBADF;
        return -1;
    }
    if (Size <= 0) return 0;
    for (;;) {
        const ssize_t N = write(FHandle, Buf, static_cast<std::size_t>(Size));
        if (N >= 0) return static_cast<int>(N);
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

bool TSerialDevice::Purge(bool Input, bool Output) {
    if (FHandle < 0 || (!Input && !Output)) return false;
    const int Which = Input && Output ? TCIOFLUSH : Input ? TCIFLUSH : TCOFLUSH;
    return ioctl(FHandle, TCFLSH, Which) == 0;
}

int TSerialDevice::Wait(bool ForRead, bool ForWrite, const TSerialWaker* Waker, int Timeout) const {
    struct pollfd P[2] = {};
    P[0].fd = FHandle;
    P[0].events = static_cast<short>((ForRead ? POLLIN : 0) | (ForWrite ? POLLOUT : 0));
    P[1].fd = Waker ? Waker->Handle() : -1;
    P[1].events = POLLIN;
    int N;
    do
        N = poll(P, 2, Timeout);
    while (N < 0 && errno == EINTR);
    if (N <= 0) return 0;
    int Result = 0;
    if (P[0].revents & POLLIN) Result |= swReadable;
    if (P[0].revents & POLLOUT) Result |= swWritable;
    if (P[0].revents & (POLLHUP | POLLERR | POLLNVAL)) Result |= swHangup;
    if (P[1].revents & POLLIN) Result |= swWoken;
    return Result;
}
