// The code pages' own tables against the converters of the system's Qt: every byte of every page
// must read as the same character, so that a build whose Qt has no converter for a page (no ICU)
// reads and writes the tables exactly as this one.
#include "store/CodePage.h"
#include "store/CodePageTables.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

using namespace dosarium;

TEST(CodePageTest, everyByteOfEveryPageReadsAsTheSystemConverterReadsIt)
{
    const char *const pages[] = {"windows-1250", "windows-1252", "windows-1251", "IBM852",
                                 "IBM437",       "IBM850",       "IBM866"};
    int compared = 0;
    for (const char *name : pages) {
        const std::array<char16_t, 256> *chars = codePageCharacters(name);
        ASSERT_NE(chars, nullptr) << name;
        QStringDecoder decoder(name);
        if (!decoder.isValid())
            continue;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString expected = decoder.decode(QByteArrayView(&byte, 1));
            decoder.resetState();
            ASSERT_EQ(expected.size(), 1) << name << " byte " << b;
            EXPECT_EQ(expected.at(0).unicode(), (*chars)[b]) << name << " byte " << b;
            ++compared;
        }
    }
    if (compared == 0)
        GTEST_SKIP() << "this Qt has no converter for any of the pages";
}

TEST(CodePageTest, windows1250RoundTripsEveryDefinedByteAndFoldsTheCommaBelowLetters)
{
    const CodePage &page = CodePage::windows1250();
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        EXPECT_EQ(page.encode(page.decode(byte)), byte) << "byte " << b;
    }
    EXPECT_EQ(page.encode(QStringLiteral(u"ȘșȚț")), QByteArray("\xAA\xBA\xDE\xFE"));
    EXPECT_FALSE(page.tryEncode(QStringLiteral(u"€ ₿")).has_value());
}
