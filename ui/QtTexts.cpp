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
        {"OK", QStringLiteral("OK")},
        {"Open", QStringLiteral("Deschide")},
        {"Drive", QStringLiteral("Unitate")},
        {"Unknown", QStringLiteral("Necunoscut")},
        {"Files", QStringLiteral("Fisiere")},
        {"All Files (*)", QStringLiteral("Toate fisierele (*)")},
        {"File &name:", QStringLiteral("&Nume fisier:")},
        {"Files of type:", QStringLiteral("Tip fisier:")},
        {"Look in:", QStringLiteral("Cauta in:")},
        {"Show ", QStringLiteral("Arata ")},
        {"Recent Places", QStringLiteral("Locuri recente")},
        {"Go back", QStringLiteral("Inapoi")},
        {"Go forward", QStringLiteral("Inainte")},
        {"Go to the parent directory", QStringLiteral("Directorul parinte")},
        {"Create a New Folder", QStringLiteral("Director nou")},
        {"Change to list view mode", QStringLiteral("Lista")},
        {"Change to detail view mode", QStringLiteral("Detalii")},
        {"Sidebar", QStringLiteral("Locuri")},
        {"List of places and bookmarks", QStringLiteral("Locuri si semne de carte")},
        {"%1\nFile not found.\nPlease verify the correct file name was given.",
         QStringLiteral("%1\nFisierul nu exista.\nVerificati numele fisierului.")},
        {"%1\nDirectory not found.\nPlease verify the correct directory name was given.",
         QStringLiteral("%1\nDirectorul nu exista.\nVerificati numele directorului.")},
        {"'%1' is write protected.\nDo you want to delete it anyway?",
         QStringLiteral("'%1' este protejat la scriere.\nIl stergeti totusi?")},
        {"Could not delete directory.", QStringLiteral("Directorul nu poate fi sters.")},
        {"Previous Month", QStringLiteral("Luna trecuta")},
        {"Next Month", QStringLiteral("Luna urmatoare")},
    };
    return table;
}

} // namespace

QString QtTexts::translate(const char *, const char *sourceText, const char *, int) const
{
    return texts().value(QByteArray(sourceText));
}

} // namespace dosarium
