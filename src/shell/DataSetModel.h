#pragma once
// A read-only grid model over a dataset (a table with its filter, or a query). Rows are
// read by the dataset in pages when the view asks for them, so a grid over a very large
// set opens at once; the row count is one COUNT. The model follows the dataset: a reset
// of the set resets the model, a move of the cursor is reported by currentRowChanged()
// so the view can move its selection, and setCurrentRow() moves the cursor (the grid's
// current row is the current record).

#include "engine/DataSet.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace shell {

class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DataSetModel(engine::DataSet* dataSet = nullptr, QObject* parent = nullptr);

    void setDataSet(engine::DataSet* dataSet);
    engine::DataSet* dataSet() const { return m_dataSet; }

    // Only these fields, in this order (empty: every field of the set).
    void setColumns(const QStringList& fieldNames);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The row of the current record, -1 when there is none (empty set, closed, inserting).
    int currentRow() const;
    // Moves the dataset's cursor to a row.
    void setCurrentRow(int row);

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void reload();
    void onCurrentChanged();
    int fieldOf(int column) const;

    QPointer<engine::DataSet> m_dataSet;
    QStringList m_columns;
    QList<int> m_fieldIndex; // column -> field position
    int m_rows = 0;
    int m_lastCurrent = -1;
    bool m_moving = false;
};

} // namespace shell
