#include "store/IoCount.h"

namespace dosarium {

namespace {

thread_local IoCount t_total;

} // namespace

IoCount tableIo()
{
    return t_total;
}

void countTableRead(qint64 bytes)
{
    t_total.read += bytes;
}

void countTableWritten(qint64 bytes)
{
    t_total.written += bytes;
}

} // namespace dosarium
