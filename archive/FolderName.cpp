#include "archive/FolderName.h"

#include <QStringView>

namespace dosarium {

namespace {

bool isDeviceName(QStringView name)
{
    // The part before the first dot decides, without its trailing blanks: "CON.txt" and
    // "con .pdf" name the device too.
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    QStringView stem = dot < 0 ? name : name.left(dot);
    while (!stem.isEmpty() && stem.back() == QLatin1Char(' '))
        stem.chop(1);
    for (const char *device : {"CON", "PRN", "AUX", "NUL"}) {
        if (stem.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
            return true;
    }
    if (stem.size() != 4)
        return false;
    const QStringView port = stem.left(3);
    if (port.compare(QLatin1String("COM"), Qt::CaseInsensitive) != 0 &&
        port.compare(QLatin1String("LPT"), Qt::CaseInsensitive) != 0)
        return false;
    // COM0 to COM9 and the superscript one, two and three count as ports as well.
    const char16_t number = stem.at(3).unicode();
    return (number >= u'0' && number <= u'9') || number == u'\u00B9' || number == u'\u00B2' ||
           number == u'\u00B3';
}

} // namespace

bool isPortableFolderName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        switch (c.unicode()) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    const QChar last = name.back();
    if (last == QLatin1Char('.') || last == QLatin1Char(' '))
        return false;
    return !isDeviceName(name);
}

} // namespace dosarium
