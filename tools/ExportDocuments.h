// The copying of an export's documents: each archived file decoded into the export's tree and
// its fingerprint taken on the way, by a few workers side by side.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace dosarium {

class ExportProgress;

// One act of the register and what the export does with it.
struct PlannedAct {
    quint32 record = 0; // its record in the snapshot
    qint64 id = 0;
    qint64 year = 0;
    QString domain, subdomain, extension;
    QString source;      // the archived file; empty when none can be named
    QString archivePath; // the same from the data folder, with "/"
    qint64 size = 0;
    QString target; // from the destination, with "/"; empty when missing
    QByteArray sha256;
    QByteArray verified; // the act's fingerprint (Amprente.dbf) when sha256 matched it
    QString missing;     // why the document is missing
};

// Copies the documents of `jobs` (each with its target set) into `destination`, decoded with
// `key`, reporting to `progress` (may be null). A document that cannot be read gets its
// `missing` reason; throws Error with the first failure to write the export.
void copyDocuments(const std::vector<PlannedAct *> &jobs, const QString &destination,
                   const QByteArray &key, qint64 totalBytes, ExportProgress *progress);

} // namespace dosarium
