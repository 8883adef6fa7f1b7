#include "engine/DataSet.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/DataSetImpl.h"
#include "engine/detail/FieldTypes.h"

#include <QDate>
#include <QTime>

namespace engine {

// ---- DataSet::Impl ----

void DataSet::Impl::setFields(const FieldDefs& newDefs, DataSet* owner)
{
    defs = newDefs;
    fields.clear();
    byName.clear();
    for (int i = 0; i < defs.size(); ++i) {
        fields.push_back(std::make_unique<Field>(owner, i, defs[i]));
        const QString key = defs[i].name.toLower();
        if (!byName.contains(key))
            byName.insert(key, i);
    }
}

void DataSet::Impl::clearFields()
{
    fields.clear();
    byName.clear();
    defs.clear();
}

QVariant DataSet::Impl::stored(int index, DataSet::State state) const
{
    if (state == DataSet::State::Edit || state == DataSet::State::Insert)
        return buf.value(index);
    return hasCur ? cur.values.value(index) : QVariant();
}

// ---- Field ----

Field::Field(DataSet* owner, int index, FieldDef def)
    : m_owner(owner), m_index(index), m_def(std::move(def))
{
}

int Field::displayWidth() const
{
    return detail::displayWidth(m_def);
}

bool Field::isNull() const
{
    const QVariant v = m_owner->d->stored(m_index, m_owner->state());
    return !v.isValid() || v.isNull();
}

QVariant Field::value() const
{
    return detail::fromStorage(m_def.kind, m_owner->d->stored(m_index, m_owner->state()));
}

QString Field::asString() const
{
    return detail::displayText(m_def.kind, m_owner->d->stored(m_index, m_owner->state()));
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (!ok && !v.toString().trimmed().isEmpty())
            throw zr::EngineError(
                QStringLiteral("'%1' is not a valid integer value.").arg(v.toString()),
                help::InvalidValue);
        return n;
    }
    if (v.typeId() == QMetaType::Double)
        return qint64(v.toDouble());
    return v.toLongLong();
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0.0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        QString s = v.toString().trimmed();
        double d = s.toDouble(&ok);
        if (!ok) {
            s.replace(u',', u'.');
            d = s.toDouble(&ok);
        }
        if (!ok && !s.isEmpty())
            throw zr::EngineError(
                QStringLiteral("'%1' is not a valid floating point value.").arg(v.toString()),
                help::InvalidValue);
        return d;
    }
    return v.toDouble();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    default:
        break;
    }
    if (!v.isValid())
        return {};
    FieldDef asDateTime{m_def.name, FieldKind::DateTime, 0, false};
    return detail::fromStorage(FieldKind::DateTime, detail::toStorage(asDateTime, v)).toDateTime();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::QString) {
        FieldDef asBool{m_def.name, FieldKind::Boolean, 0, false};
        return detail::toStorage(asBool, v).toLongLong() != 0;
    }
    return v.toBool();
}

void Field::setValue(const QVariant& value)
{
    m_owner->setStoredValue(m_index, detail::toStorage(m_def, value));
}

// ---- DataSet ----

DataSet::DataSet(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

DataSet::~DataSet() = default;

void DataSet::open() {}

void DataSet::close() {}

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    Q_EMIT stateChanged(s);
}

void DataSet::checkActive() const
{
    if (m_state == State::Inactive)
        throw zr::EngineError(QStringLiteral("Cannot perform this operation on a closed dataset."),
                              help::NotActive);
}

void DataSet::readOnly() const
{
    throw zr::EngineError(QStringLiteral("Cannot modify a read-only dataset."), help::WrongState);
}

void DataSet::checkBrowseMode()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert) {
        if (d->modified)
            post();
        else
            cancel();
    }
}

void DataSet::beginOpen(const FieldDefs& defs, std::unique_ptr<detail::RowSource> source)
{
    d->setFields(defs, this);
    d->src = std::move(source);
    d->row = -1;
    d->rowKnown = true;
    d->hasCur = false;
    d->buf.clear();
    d->modified = false;
    m_state = State::Browse;
    moveTo(0);
    d->bof = true;
    d->eof = !d->hasCur;
    Q_EMIT stateChanged(m_state);
    Q_EMIT opened();
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void DataSet::endClose()
{
    const bool wasActive = m_state != State::Inactive;
    d->src.reset();
    d->hasCur = false;
    d->row = -1;
    d->buf.clear();
    d->modified = false;
    d->eof = d->bof = true;
    d->clearFields();
    if (wasActive) {
        m_state = State::Inactive;
        Q_EMIT stateChanged(m_state);
        Q_EMIT closed();
        Q_EMIT reset();
    }
}

void DataSet::refreshSource()
{
    if (d->src && d->src->refreshIfChanged())
        d->rowKnown = false;
}

bool DataSet::moveTo(int position)
{
    const detail::Row* r = d->src ? d->src->row(position) : nullptr;
    if (!r) {
        if (position <= 0) {
            d->hasCur = false;
            d->row = -1;
            d->rowKnown = true;
        }
        return false;
    }
    d->cur = *r;
    d->hasCur = true;
    d->row = position;
    d->rowKnown = true;
    return true;
}

void DataSet::resolveRow()
{
    if (d->rowKnown)
        return;
    if (!d->hasCur) {
        d->row = -1;
        d->rowKnown = true;
        return;
    }
    bool exact = false;
    const int pos = d->src->locate(d->cur, &exact);
    if (exact) {
        d->row = pos;
        d->rowKnown = true;
        // Read the row again: it may have been changed elsewhere.
        if (!moveTo(pos))
            moveTo(0);
        return;
    }
    // The row left the set (changed or deleted elsewhere): stand on the one after it.
    if (!moveTo(pos)) {
        const int n = d->src->count();
        if (!moveTo(n - 1))
            moveTo(0);
    }
}

void DataSet::first()
{
    checkBrowseMode();
    refreshSource();
    moveTo(0);
    d->bof = true;
    d->eof = !d->hasCur;
    Q_EMIT currentChanged();
}

void DataSet::last()
{
    checkBrowseMode();
    refreshSource();
    const int n = d->src->count();
    if (!moveTo(n - 1))
        moveTo(0);
    d->eof = true;
    d->bof = !d->hasCur;
    Q_EMIT currentChanged();
}

void DataSet::next()
{
    // A step continues a pass over the set: the file is checked for changes made
    // elsewhere by first(), last(), setRecNo() and recordCount(), not at every step.
    checkBrowseMode();
    resolveRow();
    if (!d->hasCur) {
        d->eof = d->bof = true;
    } else if (moveTo(d->row + 1)) {
        d->eof = d->bof = false;
    } else {
        d->eof = true;
        d->bof = false;
    }
    Q_EMIT currentChanged();
}

void DataSet::prior()
{
    checkBrowseMode();
    resolveRow();
    if (!d->hasCur) {
        d->eof = d->bof = true;
    } else if (d->row > 0 && moveTo(d->row - 1)) {
        d->eof = d->bof = false;
    } else {
        d->bof = true;
        d->eof = false;
    }
    Q_EMIT currentChanged();
}

bool DataSet::eof() const
{
    return m_state == State::Inactive || d->eof;
}

bool DataSet::bof() const
{
    return m_state == State::Inactive || d->bof;
}

bool DataSet::isEmpty()
{
    checkActive();
    if (m_state == State::Insert)
        return false;
    refreshSource();
    return d->src->row(0) == nullptr;
}

int DataSet::recordCount()
{
    checkActive();
    refreshSource();
    return d->src->count();
}

int DataSet::recNo()
{
    checkActive();
    if (m_state == State::Insert)
        return 0;
    resolveRow();
    return d->hasCur ? d->row + 1 : 0;
}

void DataSet::setRecNo(int recNo)
{
    checkBrowseMode();
    refreshSource();
    resolveRow();
    int target = recNo - 1;
    if (target < 0)
        target = 0;
    if (!moveTo(target)) {
        const int n = d->src->count();
        if (!moveTo(n - 1))
            moveTo(0);
    }
    d->eof = d->bof = !d->hasCur;
    Q_EMIT currentChanged();
}

int DataSet::fieldCount() const
{
    return int(d->fields.size());
}

Field& DataSet::field(int index)
{
    if (index < 0 || index >= int(d->fields.size()))
        throw zr::EngineError(QStringLiteral("Field index %1 out of range.").arg(index),
                              help::FieldNotFound);
    return *d->fields[size_t(index)];
}

Field* DataSet::findField(const QString& name)
{
    const auto it = d->byName.constFind(name.trimmed().toLower());
    return it == d->byName.constEnd() ? nullptr : d->fields[size_t(it.value())].get();
}

Field& DataSet::fieldByName(const QString& name)
{
    Field* f = findField(name);
    if (!f)
        throw zr::EngineError(QStringLiteral("Field '%1' not found.").arg(name),
                              help::FieldNotFound);
    return *f;
}

QStringList DataSet::fieldNames() const
{
    QStringList out;
    for (const FieldDef& f : d->defs)
        out << f.name;
    return out;
}

FieldDefs DataSet::fieldDefsOfSet() const
{
    return d->defs;
}

bool DataSet::modified() const
{
    return d->modified;
}

void DataSet::setStoredValue(int index, const QVariant& value)
{
    checkActive();
    if (m_state != State::Edit && m_state != State::Insert)
        throw zr::EngineError(QStringLiteral("Dataset not in edit or insert mode."),
                              help::WrongState);
    if (index < 0 || index >= d->buf.size())
        throw zr::EngineError(QStringLiteral("Field index %1 out of range.").arg(index),
                              help::FieldNotFound);
    if (d->defs[index].kind == FieldKind::AutoInc && value.isValid() && !value.isNull())
        throw zr::EngineError(
            QStringLiteral("Field '%1' cannot be modified.").arg(d->defs[index].name),
            help::WrongState);
    d->buf[index] = value;
    d->modified = true;
    Q_EMIT currentChanged();
}

void DataSet::append()
{
    readOnly();
}

void DataSet::insertRecord(const QVariantList&)
{
    readOnly();
}

void DataSet::edit()
{
    readOnly();
}

void DataSet::post()
{
    readOnly();
}

void DataSet::cancel()
{
    // Nothing to cancel on a read-only dataset.
}

void DataSet::deleteRecord()
{
    readOnly();
}

QVariant DataSet::valueAt(int row, int column)
{
    if (m_state == State::Inactive || column < 0 || column >= int(d->defs.size()) || row < 0)
        return QVariant();
    if ((m_state == State::Edit) && d->rowKnown && row == d->row)
        return detail::fromStorage(d->defs[column].kind, d->buf.value(column));
    const detail::Row* r = d->src->row(row);
    if (!r)
        return QVariant();
    return detail::fromStorage(d->defs[column].kind, r->values.value(column));
}

QString DataSet::displayText(const QVariant& v)
{
    return detail::displayValue(v);
}

} // namespace engine
