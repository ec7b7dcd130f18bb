#pragma once

// One column of a DataGrid: which field of the row set it shows, its title, its width, how its
// cells are aligned and the band title drawn above it (columns side by side with the same band
// share one band title).

#include <QString>
#include <Qt>

namespace dosarium {

struct DataGridColumn {
    // Field name, matched without regard to case against the model's horizontal header texts;
    // empty takes the model column at the same place.
    QString field;
    QString title;
    // Width in pixels; below 0 the grid's default column width.
    int width = -1;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString band;
};

} // namespace dosarium
