#include "register/ActJournalCheck.h"

#include "archive/ArchivePath.h"
#include "store/Error.h"
#include "store/Statement.h"

#include <QDir>

#include <algorithm>

namespace dosarium {

QString ActJournalProblem(const ActJournal::Entry &entry, const QStringList &dataDirs)
{
    if (!dataDirs.contains(entry.dataDir))
        return QStringLiteral("numeste dosarul %1, care nu este un dosar de date al programului")
            .arg(QDir::toNativeSeparators(entry.dataDir));
    const bool digits = !entry.id.isEmpty() && entry.id.size() <= 18 &&
                        std::all_of(entry.id.begin(), entry.id.end(),
                                    [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits)
        return QStringLiteral("numarul actului \"%1\" nu este un numar").arg(entry.id);

    using Kind = ActJournal::Kind;
    const bool hasOld = !entry.oldFile.isEmpty();
    const bool hasNew = !entry.newFile.isEmpty();
    const bool hasStaged = !entry.stagedFile.isEmpty();
    const bool fits = (entry.kind == Kind::Add && !hasOld && hasNew && !hasStaged) ||
                      (entry.kind == Kind::Delete && hasOld && !hasNew && !hasStaged) ||
                      (entry.kind == Kind::Modify && hasOld && hasNew &&
                       (!hasStaged || entry.stagedFile == entry.newFile + QStringLiteral(".nou")));
    if (!fits)
        return QStringLiteral("fisierele pe care le numeste nu se potrivesc cu operatia");
    for (const auto &[path, suffix] :
         {std::pair{entry.oldFile, QString()}, std::pair{entry.newFile, QString()},
          std::pair{entry.stagedFile, QStringLiteral(".nou")}}) {
        if (path.isEmpty())
            continue;
        const QString problem = ArchiveFileProblem(entry.dataDir, path, suffix, entry.id);
        if (!problem.isEmpty())
            return problem;
    }
    if (entry.kind == Kind::Modify) {
        try {
            if (parseStatement(entry.update.join(QLatin1Char('\n'))).kind !=
                Statement::Kind::Update)
                return QStringLiteral("modificarea randului pe care o numeste nu este o "
                                      "modificare");
        } catch (const Error &) {
            return QStringLiteral("modificarea randului pe care o numeste nu poate fi citita");
        }
    }
    return QString();
}

} // namespace dosarium
