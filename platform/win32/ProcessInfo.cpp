#include "platform/ProcessInfo.h"

#include <windows.h>

#include <psapi.h>

namespace dosarium {

qint64 currentProcessId()
{
    return qint64(GetCurrentProcessId());
}

bool processHasEnded(qint64 pid)
{
    if (pid <= 0 || pid == qint64(GetCurrentProcessId()) || pid > qint64(MAXDWORD))
        return false;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no process has that number
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

qint64 peakResidentBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return qint64(counters.PeakWorkingSetSize);
}

} // namespace dosarium
