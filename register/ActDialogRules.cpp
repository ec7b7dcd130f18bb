#include "register/ActDialogRules.h"

#include "app/ActIds.h"
#include "app/FingerprintsTable.h"
#include "archive/FolderName.h"
#include "platform/FileStatus.h"
#include "register/ActStatements.h"
#include "store/FieldCodec.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace dosarium {

std::optional<ActProblem> checkActEntry(const QString &domeniul, const QString &subdom,
                                        const QString &fisier, const QString &storedDomeniul,
                                        const QString &storedSubdom)
{
    if (domeniul.isEmpty())
        return ActProblem{ActField::Domeniul, QStringLiteral("Nu ati trecut Domeniul!")};
    if (domeniul != storedDomeniul && !isPortableFolderName(domeniul))
        return ActProblem{ActField::Domeniul,
                          QStringLiteral("Domeniul contine caractere nepermise!")};
    if (subdom.isEmpty())
        return ActProblem{ActField::SubDom, QStringLiteral("Nu ati trecut Subdomeniul!")};
    if (subdom != storedSubdom && !isPortableFolderName(subdom))
        return ActProblem{ActField::SubDom,
                          QStringLiteral("Subdomeniul contine caractere nepermise!")};
    if (fisier == kNoFile || fisier.isEmpty())
        return ActProblem{ActField::Fisier, QStringLiteral("Nu ati ales fisierul cu scanarea!")};
    // Chosen, then moved or deleted before "Memoreaza".
    if (!QFileInfo(fisier).isFile())
        return ActProblem{ActField::Fisier, QStringLiteral("Fisierul ales nu mai exista: ") +
                                                QDir::toNativeSeparators(fisier)};
    if (fileExtension(fisier).size() > kExtensionWidth)
        return ActProblem{ActField::Fisier,
                          QStringLiteral("Extensia fisierului are mai mult de 5 caractere!")};
    return std::nullopt;
}

namespace {

// How the question names an archived act: its number, then its date, domain and title.
QString archivedActText(const ActsTable::Record &row, const ActRow &act, const QString &title)
{
    const auto column = [&](const QString &name) -> const Field * {
        const int index = row.layout.fieldIndex(name);
        return index < 0 ? nullptr : &row.layout.fields.at(index);
    };
    const char *record = row.bytes.constData();
    const Field *nrField = column(ActsTable::kNumber);
    const QString nr = nrField ? fieldText(row.layout, *nrField, record).trimmed() : QString();
    QStringList details;
    if (const Field *date = column(ActsTable::kDate); date && fieldDate(*date, record).isValid())
        details << fieldDate(*date, record).toString(QStringLiteral("dd.MM.yyyy"));
    for (const QString &text : {act.domain.trimmed(), title.trimmed()}) {
        if (!text.isEmpty())
            details << text;
    }
    return (nr.isEmpty() ? QStringLiteral("cu numarul intern ") + act.idText
                         : QStringLiteral("nr. ") + nr) +
           (details.isEmpty()
                ? QString()
                : QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')'));
}

} // namespace

QString alreadyArchivedQuestion(const QString &dataDir, const DocumentFingerprint &print,
                                const QString &exceptId)
{
    QList<StoredFingerprint> same;
    try {
        same = FingerprintsTable::withSha(dataDir, print.sha256);
    } catch (const Error &) {
        return QString(); // a fingerprints table that cannot be read never stops an addition
    }
    QList<qint64> ids;
    for (const StoredFingerprint &stored : same) {
        if (stored.sha256 == print.sha256 && stored.size == print.size &&
            actIdText(QString::number(stored.id)) != exceptId)
            ids << stored.id;
    }
    std::sort(ids.begin(), ids.end());
    for (const qint64 id : ids) {
        const std::optional<ActsTable::Record> row =
            ActsTable::findRecord(dataDir, QString::number(id));
        if (!row)
            continue;
        const ActsTable::Reader reader(row->layout, ActsTable::kFileName);
        const ActRow act = reader.read(row->bytes.constData(), 0);
        QString archived;
        try {
            archived = ActsTable::archivedFile(dataDir, act.year, act.domain, act.subdomain, id);
        } catch (const Error &) {
            continue;
        }
        const std::optional<FileStatus> coded = statusAt(archived);
        if (!coded || coded->kind != EntryKind::File || coded->size != print.size)
            continue;
        return QStringLiteral("Fisierul ales este deja arhivat la actul %1. Il arhivati din nou?")
            .arg(archivedActText(*row, act, reader.title(row->bytes.constData())));
    }
    return QString();
}

} // namespace dosarium
