// The record filter of the register's seven pick lists.
#pragma once

#include <QString>

namespace dosarium {

// One pick list: its selected position (0 is "indiferent") and the entry shown there.
struct PickChoice {
    int position = 0;
    QString text;
};

struct RegisterChoices {
    PickChoice anul, luna, seria, nr, domeniul, subdom, titlu;
};

// The conditions of the lists that are not at "indiferent", in the fixed order year, series,
// number, domain, subdomain, title and month last, joined by " AND ": "(ANUL=2005) AND
// (SERIA='AB')"; the month is its position ("03" gives "(LUNA=3)"). Text values are quoted, so
// no entry can change the filter's meaning. Empty when every list is at "indiferent".
QString RegisterFilterText(const RegisterChoices &choices);

} // namespace dosarium
