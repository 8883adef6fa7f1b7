#pragma once
// What a dataset navigates: the rows of its current set, addressed by position.

#include <QVariant>

namespace engine::detail {

struct Row
{
    QVariantList values; // stored values, in field order
    QVariantList key;    // ordering key (table rows); empty for query rows
    qint64 rowid = 0;
};

class RowSource
{
public:
    virtual ~RowSource() = default;
    // Rows of the set; cached until the set changes.
    virtual int count() = 0;
    // Row at a 0-based position, or nullptr past the end. The pointer stays valid until
    // the next call on the source.
    virtual const Row* row(int position) = 0;
    // Position of a row known by its key: the number of rows ordered before it. `exact`
    // tells whether that row itself is in the set.
    virtual int locate(const Row& row, bool* exact) = 0;
    // Drops cached rows and counts when the file was changed by another connection.
    // Returns true when it did.
    virtual bool refreshIfChanged() { return false; }
    // Forget every cached row and count.
    virtual void invalidate() = 0;
};

} // namespace engine::detail
