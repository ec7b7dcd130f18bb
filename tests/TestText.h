// Small helpers for tests that compare lists of texts.
#pragma once

#include <QStringList>
#include <initializer_list>

inline QStringList strs(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *s : items)
        out << QString::fromUtf8(s);
    return out;
}
