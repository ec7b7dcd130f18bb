#include "ui/QtTexts.h"

#include <QHash>

namespace dosarium {

namespace {

// Source text (with its accelerator, where Qt writes one) to the program's text.
const QHash<QByteArray, QString> &texts()
{
    static const QHash<QByteArray, QString> table{
        {"Name", QStringLiteral("Nume")},
        {"Size", QStringLiteral("Marime")},
        {"Type", QStringLiteral("Tip")},
        {"Kind", QStringLiteral("Tip")},
        {"Date Modified", QStringLiteral("Data modificarii")},
        {"Computer", QStringLiteral("Calculator")},
        {"My Computer", QStringLiteral("Calculator")},
        {"Folder", QStringLiteral("Director")},
        {"File Folder", QStringLiteral("Director")},
        {"File", QStringLiteral("Fisier")},
        {"Directories", QStringLiteral("Directoare")},
        {"Back", QStringLiteral("Inapoi")},
        {"Forward", QStringLiteral("Inainte")},
        {"Parent Directory", QStringLiteral("Directorul parinte")},
        {"Create New Folder", QStringLiteral("Director nou")},
        {"New Folder", QStringLiteral("Director nou")},
        {"List View", QStringLiteral("Lista")},
        {"Detail View", QStringLiteral("Detalii")},
        {"&Rename", QStringLiteral("&Redenumeste")},
        {"&Delete", QStringLiteral("&Sterge")},
        {"Show &hidden files", QStringLiteral("Arata fisierele &ascunse")},
        {"&New Folder", QStringLiteral("Director &nou")},
        {"&Open", QStringLiteral("&Deschide")},
        {"&Choose", QStringLiteral("&Alege")},
        {"Cancel", QStringLiteral("Renunt")},
        {"&Undo", QStringLiteral("&Anuleaza")},
        {"&Redo", QStringLiteral("&Refa")},
        {"Cu&t", QStringLiteral("&Taie")},
        {"&Copy", QStringLiteral("&Copiaza")},
        {"&Paste", QStringLiteral("&Lipeste")},
        {"Delete", QStringLiteral("Sterge")},
        {"Select All", QStringLiteral("Selecteaza tot")},
        {"bytes", QStringLiteral("octeti")},
        {"Are you sure you want to delete '%1'?", QStringLiteral("Stergeti '%1'?")},
        {"&Yes", QStringLiteral("&Da")},
        {"&No", QStringLiteral("&Nu")},
    };
    return table;
}

} // namespace

QString QtTexts::translate(const char *, const char *sourceText, const char *, int) const
{
    return texts().value(QByteArray(sourceText));
}

} // namespace dosarium
