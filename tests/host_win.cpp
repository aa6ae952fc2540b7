#include "host.h"

#include <windows.h>
#include <psapi.h>

#include <string>

bool makeFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

// Asks for the file's attributes alone, which no share mode refuses.
long fileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA a;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) ? long(a.nFileSizeLow) : 0;
}

std::string freshFolder()
{
    char base[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof base, base);
    std::string dir(base, n);
    for (unsigned i = 0;; i++) {
        const std::string name = dir + "rallyo-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
        if (makeFolder(name))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return name;  // the tests' writes there will fail and say so
    }
}

// Windows keeps one peak for the life of a process and offers no way to
// lower it, so a growth is seen only where it passes every earlier peak: a
// load that needs more than the largest picture tested before it still
// shows.
long peakKb()
{
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m))
        return -1;
    return long(m.PeakWorkingSetSize / 1024);
}

bool resetPeak()
{
    return peakKb() > 0;
}

const char* folderRefusal()
{
    return "Couldn't open";  // a folder does not even open as a file
}

bool unpacksRunLength()
{
    return false;
}

const char* diskAudioPace()
{
    return "SDL_DISKAUDIODELAY=23";
}
