#include "platform/Error.h"

#include <cerrno>
#include <cstring>

namespace dosarium {

QString systemErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("acces interzis");
    case ENOENT:
        return QStringLiteral("fisierul sau folderul nu exista");
    case ENOTDIR:
        return QStringLiteral("o parte a caii nu este un folder");
    case EISDIR:
        return QStringLiteral("este un folder");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("spatiu insuficient pe disc");
    case EFBIG:
        return QStringLiteral("fisierul ar depasi marimea permisa");
    case EROFS:
        return QStringLiteral("discul este doar pentru citire");
    case EIO:
        return QStringLiteral("eroare de intrare/iesire");
    case ENAMETOOLONG:
        return QStringLiteral("numele fisierului este prea lung");
    case ELOOP:
        return QStringLiteral("este o legatura simbolica, pe care programul nu o urmeaza");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("fisierul este folosit de alt program");
#ifdef ESTALE
    case ESTALE:
#endif
#ifdef EHOSTDOWN
    case EHOSTDOWN:
#endif
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
        return QStringLiteral("folderul din retea nu mai poate fi atins");
    default:
        return QString::fromLocal8Bit(strerror(error));
    }
}

} // namespace dosarium
