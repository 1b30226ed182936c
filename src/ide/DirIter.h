#pragma once
// tDirIterator walks a folder, optionally with all its subfolders, and reports every folder and
// file it finds through events, with the path relative to the starting folder and the nesting
// level. The owner builds what it needs from the events; the iterator keeps no list.

#include "platform/base/Component.h"

#include <functional>
#include <vector>

using tFileFoundEvent =
    std::function<void(const String& Path, const String& FileName, const String& RelPath, int FileSize)>;
using tDirFoundEvent = std::function<void(const String& Path, const String& RelPath)>;
using tFileFoundExtEvent =
    std::function<void(const String& Path, const String& FileName, const String& RelPath, int FileSize,
                       int Level, TDateTime FileTimeStamp, bool& StopScanning)>;
using tDirFoundExtEvent =
    std::function<void(const String& Path, const String& RelPath, int Level, bool& StopScanning)>;

class tDirIterator : public TComponent {
    DECLARE_CLASS(tDirIterator, TComponent)

public:
    explicit tDirIterator(TComponent* AOwner);

    const String& Path() const { return FPath; }
    void SetPath(const String& Value) { FPath = Value; }
    bool ScanSubdirs() const { return FScanSubdirs; }
    void SetScanSubdirs(bool Value) { FScanSubdirs = Value; }

    // Totals of the last run: sizes of all files reported, folders, files.
    double FilesSize() const { return FFilesSize; }
    Cardinal DirectoryCnt() const { return FDirectoryCnt; }
    Cardinal FileCount() const { return FFileCount; }

    // Walks Path and fires the events.
    void Run();

    tFileFoundEvent OnFileFound;
    tDirFoundEvent OnDirFound;
    tFileFoundExtEvent OnFileFoundExt;
    tDirFoundExtEvent OnDirFoundExt;

private:
    static void Published(TPublisher<tDirIterator>& P);
    void ScanFolder(const String& Folder);

    String FPath;
    double FFilesSize = 0;
    Cardinal FDirectoryCnt = 0;
    Cardinal FFileCount = 0;
    bool FScanSubdirs = true;
    int InitPathLength = 0;
    int DirLevel = -1;
    // The folders being listed, from the start down (device, inode): a link back to one of them
    // is reported but not entered, so a link loop cannot make the walk endless.
    std::vector<std::pair<UInt64, UInt64>> FOpenFolders;
};
