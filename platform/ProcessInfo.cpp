#include "platform/ProcessInfo.h"

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace dosarium {

qint64 currentProcessId()
{
    return qint64(::getpid());
}

bool processHasEnded(qint64 pid)
{
    return pid > 0 && pid != getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

} // namespace dosarium
