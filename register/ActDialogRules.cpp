#include "register/ActDialogRules.h"

#include "archive/FolderName.h"
#include "register/ActStatements.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace dosarium
