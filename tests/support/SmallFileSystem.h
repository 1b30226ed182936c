#pragma once
// A small file system that a test can fill: a tmpfs mounted on a folder of the test's own. The
// mount goes into a mount namespace of the process's own where the process may make one (it has
// no other threads); otherwise it is mounted plainly and taken down with the object. Mounting
// needs the privilege to; without it Reason() says why and the test skips.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>

class TSmallFileSystem {
public:
    TSmallFileSystem(const std::string& Folder, size_t Bytes) : FFolder(Folder) {
        mkdir(Folder.c_str(), 0755);
        if (unshare(CLONE_NEWNS) == 0) mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        const std::string Options = "size=" + std::to_string(Bytes) + ",mode=0755";
        if (mount("tmpfs", Folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, Options.c_str()) != 0) {
            FReason = "cannot mount a small file system on " + Folder + ": " + std::strerror(errno);
            return;
        }
        FMounted = true;
    }
    ~TSmallFileSystem() {
        if (FMounted) umount2(FFolder.c_str(), MNT_DETACH);
    }
    TSmallFileSystem(const TSmallFileSystem&) = delete;
    TSmallFileSystem& operator=(const TSmallFileSystem&) = delete;

    bool Mounted() const { return FMounted; }
    const std::string& Reason() const { return FReason; }

private:
    std::string FFolder;
    std::string FReason;
    bool FMounted = false;
};

// Fills the file system that holds Folder with a file of its own until no byte more fits.
inline void FillFileSystem(const std::string& Folder) {
    const std::string Path = Folder + "/filler";
    FILE* F = std::fopen(Path.c_str(), "wb");
    if (!F) return;
    static const char Block[4096] = {};
    while (std::fwrite(Block, 1, sizeof Block, F) == sizeof Block) {
    }
    while (std::fwrite(Block, 1, 1, F) == 1 && std::fflush(F) == 0) {
    }
    std::fclose(F);
}
