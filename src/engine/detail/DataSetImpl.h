#pragma once
// Private state shared by every dataset: fields, the row source, the cursor position and
// the edit buffer.

#include "engine/DataSet.h"
#include "engine/detail/RowSource.h"

#include <QHash>
#include <memory>
#include <vector>

namespace engine {

struct DataSet::Impl
{
    FieldDefs defs;
    std::vector<std::unique_ptr<Field>> fields;
    QHash<QString, int> byName; // lower-case name -> position
    std::unique_ptr<detail::RowSource> src;

    // Cursor: position in the set (0-based), -1 on an empty set. When `rowKnown` is false
    // the current row was changed or added and its position is found on demand.
    int row = -1;
    bool rowKnown = true;
    detail::Row cur;
    bool hasCur = false;
    bool eof = true;
    bool bof = true;

    // Edit and Insert states.
    QVariantList buf;
    bool modified = false;
    // Position and row before an insertion, restored by cancel.
    int savedRow = -1;
    bool savedRowKnown = true;
    detail::Row savedCur;
    bool savedHasCur = false;

    void setFields(const FieldDefs& defs, DataSet* owner);
    void clearFields();
    QVariant stored(int index, DataSet::State state) const;
};

} // namespace engine
