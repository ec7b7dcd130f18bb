// Domain and subdomain texts that every workstation can use as folder names.
#include "archive/FolderName.h"

#include <gtest/gtest.h>

using namespace dosarium;

namespace {

TEST(FolderNameTest, ordinaryNames_areAccepted)
{
    for (const QString &name :
         {QStringLiteral("Contracte"), QStringLiteral(u"Şcoala nr. 5"), QStringLiteral(".git"),
          QStringLiteral("a..b"), QStringLiteral("Console"), QStringLiteral("COM10"),
          QStringLiteral("LPTX"), QStringLiteral("NULL"), QStringLiteral("  la inceput"),
          QStringLiteral(u"Ţară-Ină (2005) & 'c' #1")})
        EXPECT_TRUE(isPortableFolderName(name)) << name.toStdString();
}

TEST(FolderNameTest, namesAWorkstationCannotUse_areRefused)
{
    for (const QString &name : {QString(),
                                QStringLiteral("."),
                                QStringLiteral(".."),
                                QStringLiteral("a/b"),
                                QStringLiteral("a\\b"),
                                QStringLiteral("C:"),
                                QStringLiteral("a*"),
                                QStringLiteral("a?"),
                                QStringLiteral("\"citat\""),
                                QStringLiteral("<a>"),
                                QStringLiteral("a|b"),
                                QStringLiteral("tab\there"),
                                QStringLiteral("rand\nnou"),
                                QStringLiteral("Contr."),
                                QStringLiteral("Contracte "),
                                QStringLiteral("CON"),
                                QStringLiteral("con"),
                                QStringLiteral("Prn.txt"),
                                QStringLiteral("aux.tar.gz"),
                                QStringLiteral("nul "),
                                QStringLiteral("NUL .pdf"),
                                QStringLiteral("COM1"),
                                QStringLiteral("com9.doc"),
                                QStringLiteral("LPT1"),
                                QStringLiteral("Lpt9"),
                                QStringLiteral(u"COM\u00B9"),
                                QString(QStringLiteral("a") + QChar(u'\0'))})
        EXPECT_FALSE(isPortableFolderName(name)) << name.toStdString();
}

} // namespace
