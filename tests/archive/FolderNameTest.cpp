// Domain and subdomain texts that every workstation can use as folder names.
#include "archive/FolderName.h"

#include <gtest/gtest.h>

using namespace dosarium;

TEST(FolderNameTest, namesEveryWorkstationCanUse_areAcceptedAndOthersRefused)
{
    for (const char16_t *name : {u"Contracte", u"Şcoala nr. 5", u".git", u"a..b", u"Console",
                                 u"COM10", u"LPTX", u"NULL", u"  la inceput", u"Ţară (2005) & 'c'"})
        EXPECT_TRUE(isPortableFolderName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
    for (const char16_t *name :
         {u"",           u".",        u"..",         u"a/b",  u"a\\b",     u"C:",
          u"a*",         u"a?",       u"\"citat\"",  u"<a>",  u"a|b",      u"tab\there",
          u"rand\nnou",  u"Contr.",   u"Contracte ", u"CON",  u"con",      u"Prn.txt",
          u"aux.tar.gz", u"nul ",     u"NUL .pdf",   u"COM1", u"com9.doc", u"LPT1",
          u"Lpt9",       u"COM\u00B9"})
        EXPECT_FALSE(isPortableFolderName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
    EXPECT_FALSE(isPortableFolderName(QStringLiteral("a") + QChar(u'\0')));
}
