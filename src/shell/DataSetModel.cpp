#include "shell/DataSetModel.h"

#include "engine/Error.h"

namespace shell {

DataSetModel::DataSetModel(engine::DataSet* dataSet, QObject* parent) : QAbstractTableModel(parent)
{
    setDataSet(dataSet);
}

void DataSetModel::setDataSet(engine::DataSet* dataSet)
{
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (m_dataSet) {
        connect(m_dataSet, &engine::DataSet::reset, this, &DataSetModel::reload);
        connect(m_dataSet, &engine::DataSet::opened, this, &DataSetModel::reload);
        connect(m_dataSet, &engine::DataSet::closed, this, &DataSetModel::reload);
        connect(m_dataSet, &engine::DataSet::currentChanged, this, &DataSetModel::onCurrentChanged);
        connect(m_dataSet, &QObject::destroyed, this, &DataSetModel::reload);
    }
    reload();
}

void DataSetModel::setColumns(const QStringList& fieldNames)
{
    m_columns = fieldNames;
    reload();
}

void DataSetModel::reload()
{
    beginResetModel();
    m_rows = 0;
    m_fieldIndex.clear();
    if (m_dataSet && m_dataSet->active()) {
        try {
            m_rows = m_dataSet->recordCount();
        } catch (const zr::Error&) {
            m_rows = 0;
        }
        if (m_columns.isEmpty()) {
            for (int i = 0; i < m_dataSet->fieldCount(); ++i)
                m_fieldIndex << i;
        } else {
            for (const QString& name : m_columns) {
                const engine::Field* f = m_dataSet->findField(name);
                m_fieldIndex << (f ? f->index() : -1);
            }
        }
    }
    endResetModel();
    m_lastCurrent = currentRow();
}

int DataSetModel::fieldOf(int column) const
{
    return column >= 0 && column < m_fieldIndex.size() ? m_fieldIndex[column] : -1;
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndex.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataSet || !m_dataSet->active() || index.row() >= m_rows)
        return QVariant();
    const int field = fieldOf(index.column());
    if (field < 0)
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
        return QVariant();
    QVariant v;
    try {
        v = m_dataSet->valueAt(index.row(), field);
    } catch (const zr::Error&) {
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        const int t = v.typeId();
        const bool number =
            t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::Int;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter));
    }
    return role == Qt::EditRole ? v : QVariant(engine::DataSet::displayText(v));
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    const int field = fieldOf(section);
    if (!m_dataSet || field < 0) {
        return section < m_columns.size() ? QVariant(m_columns[section]) : QVariant();
    }
    return m_dataSet->field(field).name();
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int DataSetModel::currentRow() const
{
    if (!m_dataSet || !m_dataSet->active() || m_dataSet->state() == engine::DataSet::State::Insert)
        return -1;
    try {
        return m_dataSet->recNo() - 1;
    } catch (const zr::Error&) {
        return -1;
    }
}

void DataSetModel::setCurrentRow(int row)
{
    if (!m_dataSet || !m_dataSet->active() || row < 0 || row >= m_rows)
        return;
    m_moving = true;
    try {
        m_dataSet->setRecNo(row + 1);
    } catch (...) {
        m_moving = false;
        throw;
    }
    m_moving = false;
    onCurrentChanged();
}

void DataSetModel::onCurrentChanged()
{
    if (m_moving)
        return;
    const int row = currentRow();
    // The current record's values may have changed (editing): repaint its row.
    if (row >= 0 && row < m_rows && !m_fieldIndex.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_fieldIndex.size()) - 1));
    if (row != m_lastCurrent) {
        m_lastCurrent = row;
        Q_EMIT currentRowChanged(row);
    }
}

} // namespace shell
