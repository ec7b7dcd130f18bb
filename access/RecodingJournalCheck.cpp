#include "access/RecodingJournalCheck.h"

#include "archive/ArchivePath.h"
#include "store/FilePath.h"

namespace dosarium {

QString RecodingJournalProblem(const ArchiveRecoding::Plan &plan, const QString &dataDir)
{
    for (const ArchiveRecoding::PlannedFile &file : plan.files) {
        const QString problem = ArchiveFileProblem(dataDir, joinPath(dataDir, file.relativePath));
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

} // namespace dosarium
