// The act the benchmarks add: a contract of a supplier, dated like the day they were written,
// with `scan` as its document.
#pragma once

#include "register/ActStatements.h"

#include <QDate>

namespace dosarium::bench {

inline ActEntry sampleAct(const QString &scan)
{
    ActEntry act;
    act.date = QDate(2026, 12, 8);
    act.nr = QStringLiteral("17");
    act.domeniul = QStringLiteral("CONTRACTE");
    act.subdom = QStringLiteral("FURNIZORI");
    act.file = scan;
    return act;
}

} // namespace dosarium::bench
