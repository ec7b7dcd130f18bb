#include "app/ActIds.h"

#include "store/FieldCodec.h"

#include <cmath>

namespace dosarium {

std::optional<qint64> actIdNumber(const QString &text)
{
    const std::optional<double> n = parseNumber(text);
    if (!n || *n != std::floor(*n) || *n < 1 || *n > double(kLastActId))
        return std::nullopt;
    return qint64(*n);
}

QString actIdText(const QString &stored)
{
    const std::optional<qint64> id = actIdNumber(stored);
    return id ? QString::number(*id) : stored.trimmed();
}

QString storedActIdText(const Field &field, const char *record)
{
    const QByteArrayView bytes = fieldBytesTrimmed(field, record);
    return actIdText(QString::fromLatin1(bytes.data(), bytes.size()));
}

QString invalidActIdText(const QString &id)
{
    return QStringLiteral("\rActul are IDACT \"%1\", care nu este un numar de act (un numar "
                          "intreg de la 1 la %2): programul nu stie ce fisier ii apartine si nu "
                          "il modifica, nu il sterge si nu ii arata fisierul.\rVerificati "
                          "registrul cu \"dosarium-arhiva verifica\".")
        .arg(id)
        .arg(kLastActId);
}

QString actIdsUsedUpText(const QString &counterValue)
{
    return QStringLiteral("\rNumerele actelor s-au terminat: contorul IDACT a ajuns la %1, iar "
                          "cel mai mare numar de act pe care il poate tine registrul este %2."
                          "\rNu se mai pot adauga acte in acest registru.\rActul nu a fost "
                          "adaugat.")
        .arg(counterValue)
        .arg(kLastActId);
}

} // namespace dosarium
