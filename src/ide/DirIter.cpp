#include "ide/DirIter.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// The hourglass while a walk runs; the default cursor again afterwards, however it ends.
class TBusyCursor {
public:
    TBusyCursor() { Screen->SetCursor(crHourGlass); }
    ~TBusyCursor() { Screen->SetCursor(crDefault); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

tDirIterator::tDirIterator(TComponent* AOwner) : TComponent(AOwner) {}

void tDirIterator::Published(TPublisher<tDirIterator>& P) {
    P.Property(u"Path", &tDirIterator::Path, &tDirIterator::SetPath);
    P.Property(u"ScanSubdirs", &tDirIterator::ScanSubdirs, &tDirIterator::SetScanSubdirs).Default(true);
    P.Property(u"OnFileFound", &tDirIterator::OnFileFound);
    P.Property(u"OnDirFound", &tDirIterator::OnDirFound);
    P.Property(u"OnFileFoundExt", &tDirIterator::OnFileFoundExt);
    P.Property(u"OnDirFoundExt", &tDirIterator::OnDirFoundExt);
}

void tDirIterator::Run() {
    FFilesSize = 0;
    FDirectoryCnt = 0;
    FFileCount = 0;
    DirLevel = -1;
    if (!FPath.empty() && FPath.back() == PathDelim) FPath.pop_back();
    InitPathLength = Length(FPath);

    TBusyCursor Busy;
    FOpenFolders.clear();
    struct stat St {};
    if (::stat(StringToUtf8(FPath.empty() ? String(1, PathDelim) : FPath).c_str(), &St) == 0)
        FOpenFolders.emplace_back(St.st_dev, St.st_ino);
    TScopeExit Reset([this] { DirLevel = -1; });
    ScanFolder(FPath);
    Reset.Release();
}

void tDirIterator::ScanFolder(const String& Folder) {
    TSearchRec SR;
    bool Found = FindFirst(Folder + PathDelim + u"*.*", faAnyFile, SR) == 0;
    ++DirLevel;
    bool StopScanning = false;
    while (Found && !StopScanning) {
        if (SR.Name != u"." && SR.Name != u"..") {
            if (SR.Attr & faDirectory) {
                String Full = Folder + PathDelim + SR.Name;
                String RelPath = Copy(Full, InitPathLength + 1, 255);
                if (OnDirFound) OnDirFound(Full, RelPath);
                if (OnDirFoundExt) OnDirFoundExt(Full, RelPath, DirLevel, StopScanning);
                ++FDirectoryCnt;
                std::pair<UInt64, UInt64> Id(SR.Device, SR.Inode);
                bool OnOwnPath =
                    std::find(FOpenFolders.begin(), FOpenFolders.end(), Id) != FOpenFolders.end();
                if (FScanSubdirs && !StopScanning && !OnOwnPath) {
                    FOpenFolders.push_back(Id);
                    ScanFolder(Full);
                    FOpenFolders.pop_back();
                }
            } else {
                String RelPath = Copy(Folder, InitPathLength + 1, 255);
                // The events get the low 32 bits of the size; the total keeps all of it.
                int Size32 = static_cast<int>(static_cast<std::uint32_t>(SR.Size));
                FFilesSize += static_cast<double>(SR.Size);
                if (OnFileFound) OnFileFound(Folder, SR.Name, RelPath, Size32);
                ++FFileCount;
                if (OnFileFoundExt)
                    OnFileFoundExt(Folder, SR.Name, RelPath, Size32, DirLevel, SR.Time, StopScanning);
            }
        }
        Found = FindNext(SR) == 0;
    }
    FindClose(SR);
    --DirLevel;
}
