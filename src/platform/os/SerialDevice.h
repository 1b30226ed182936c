#pragma once
// Serial devices by COM number: the mapping of numbers to device paths, exclusive opening, line
// settings at any baud rate, modem lines, queue counts, non-blocking reads and writes, and a
// wait that a worker thread can be woken from.

#include "platform/base/Types.h"

// The device path of COM n; empty when the number maps to no device. Where MORVANE_PORTS names a
// folder, its entries COMn are the only ports. Otherwise an entry COMn in
// $XDG_CONFIG_HOME/<program>/ports comes first, then COM1-16 are /dev/ttyACM0-15, COM17-32
// /dev/ttyUSB0-15 and COM33-48 /dev/ttyS0-15.
String SerialPortDevice(int ComNumber);
// The device COM n stands for as the user knows it, for showing beside the number: the mapped
// path with its symbolic links followed (a link in a ports folder shows the device it points
// to); the mapped path itself when it leads nowhere; empty when the number maps to no device.
String SerialPortDeviceName(int ComNumber);
// Whether the device COM n stands for is there (opening it is not tried: that would raise DTR
// and reset a board that listens to it).
bool SerialPortExists(int ComNumber);

enum TSerialOpenResult { sorOpened, sorAbsent, sorBusy };

// Parity: 0 none, 1 odd, 2 even, 3 mark, 4 space. StopBits: 0 one, 1 one and a half (five data
// bits only), 2 two.
struct TSerialLine {
    Cardinal BaudRate = 9600;
    Byte ByteSize = 8;
    Byte Parity = 0;
    Byte StopBits = 0;
    bool ParityCheck = false;
    bool RtsCtsFlow = false;
    bool XOnXOffOut = false;
    bool XOnXOffIn = false;
    Byte XonChar = 17;
    Byte XoffChar = 19;
};

// Modem line bits as the system numbers them.
enum : int {
    smlDTR = 0x002,
    smlRTS = 0x004,
    smlCTS = 0x020,
    smlDCD = 0x040,
    smlRING = 0x080,
    smlDSR = 0x100,
};

// Line error counts of the driver, for telling new errors from old ones.
struct TSerialErrorCounts {
    int Frame = 0, Overrun = 0, Parity = 0, Break = 0, BufferOverrun = 0;
};

// An event a thread waits on beside its device; any thread may signal it.
class TSerialWaker {
public:
    TSerialWaker();
    ~TSerialWaker();
    TSerialWaker(const TSerialWaker&) = delete;
    TSerialWaker& operator=(const TSerialWaker&) = delete;
    void Signal();
    void Clear();
    // Waits up to Timeout milliseconds (-1: for ever) for a signal alone, for a thread whose
    // device has nothing more to say (a hung-up device is ready for ever); true when signalled.
    bool WaitFor(int Timeout) const;
    int Handle() const { return FHandle; }

private:
    int FHandle;
};

enum : int { swReadable = 1, swWritable = 2, swHangup = 4, swWoken = 8 };

class TSerialDevice {
public:
    TSerialDevice() = default;
    ~TSerialDevice() { Close(); }
    TSerialDevice(const TSerialDevice&) = delete;
    TSerialDevice& operator=(const TSerialDevice&) = delete;

    // Opens without sharing: no other process (root included) nor other handle of this one
    // opens the device while it is held. Absent: no such device, or not a serial line; busy:
    // held or not allowed. errno tells the cause.
    TSerialOpenResult Open(int ComNumber);
    TSerialOpenResult OpenPath(const String& Path);
    // Takes over a handle opened elsewhere; it is closed with the device.
    void Attach(int Handle);
    void Close();
    bool IsOpen() const { return FHandle >= 0; }
    int Handle() const { return FHandle; }

    // Raw, binary line settings; false when the device refuses them or cannot do them. A rate
    // of the standard table goes in as its standard constant, so that every other tool reads
    // it; only other rates are set as a number of their own.
    bool SetLine(const TSerialLine& Line);
    bool GetLine(TSerialLine& Line) const;
    bool SetModemLines(int Bits, bool On);
    bool GetModemLines(int& Bits) const;
    bool SetBreak(bool On);
    bool GetErrorCounts(TSerialErrorCounts& Counts) const;
    // Bytes waiting in the driver's input and output queues; -1 when they can't be read.
    int InQueue() const;
    int OutQueue() const;
    // Never block: the bytes moved (a write may be short), 0 when nothing can move now, -1 on
    // an error (errno).
    int Read(void* Buf, int Size);
    int Write(const void* Buf, int Size);
    bool Purge(bool Input, bool Output);
    // Waits up to Timeout milliseconds (-1: for ever) until the device is readable or writable
    // (as asked), hung up, or Waker (if any) is signalled; answers the sw* bits that hold, 0
    // after the time-out.
    int Wait(bool ForRead, bool ForWrite, const TSerialWaker* Waker, int Timeout) const;

private:
    int FHandle = -1;
};
