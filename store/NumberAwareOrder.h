// The order a person expects of numbers written as text: runs of digits compare as numbers, the
// rest alphabetically, so that 7/2017 comes after 7 and before 12, and 112 before 1034. Used
// where a person sorts a list by such a column; statements keep the engine's exact order.
#pragma once

#include "store/TableLayout.h"

#include <QByteArrayView>
#include <vector>

namespace dosarium {

class CodePage;

// Compares two stored texts (trailing blanks already gone). Empty texts come first; a run of
// digits comes before any other character; equal numbers written differently (7 and 07) tie.
int compareNumberAware(const CodePage &codePage, QByteArrayView a, QByteArrayView b);

// Stable sort of `rows` (record numbers within `data`) by the text column `field`.
void sortRowsNumberAware(const TableLayout &layout, const QByteArray &data,
                         std::vector<quint32> &rows, int field);

} // namespace dosarium
