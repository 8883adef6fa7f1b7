#include "engine/detail/FieldTypes.h"

#include "engine/Error.h"
#include "engine/ErrorCodes.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <cmath>

namespace engine::detail {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QString kTimeFormatMs = QStringLiteral("HH:mm:ss.zzz");

[[noreturn]] void invalid(const FieldDef& def, const QVariant& value)
{
    throw zr::EngineError(
        QStringLiteral("'%1' is not a valid value for field '%2'.").arg(value.toString(), def.name),
        help::InvalidValue);
}

QDate parseDate(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* fmt : {"yyyy-MM-dd", "d/M/yyyy", "d.M.yyyy", "d-M-yyyy"}) {
        const QDate d = QDate::fromString(t, QLatin1String(fmt));
        if (d.isValid())
            return d;
    }
    const QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    return dt.isValid() ? dt.date() : QDate();
}

QTime parseTime(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* fmt : {"HH:mm:ss.zzz", "HH:mm:ss", "H:mm:ss", "H:mm"}) {
        const QTime tm = QTime::fromString(t, QLatin1String(fmt));
        if (tm.isValid())
            return tm;
    }
    return {};
}

QDateTime parseDateTime(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* fmt : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                            "yyyy-MM-ddTHH:mm:ss.zzz", "d/M/yyyy H:mm:ss", "d/M/yyyy H:mm"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(fmt));
        if (dt.isValid())
            return dt;
    }
    const QDate d = parseDate(t);
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
}

QString timeText(const QTime& t)
{
    return t.toString(t.msec() ? kTimeFormatMs : kTimeFormat);
}

QString dateTimeText(const QDateTime& dt)
{
    return dt.date().toString(kDateFormat) + u' ' + timeText(dt.time());
}

} // namespace

bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::String || kind == FieldKind::Memo;
}

QString declaredType(const FieldDef& def)
{
    switch (def.kind) {
    case FieldKind::AutoInc:
        return QStringLiteral("INTEGER");
    case FieldKind::String:
        return QStringLiteral("VARCHAR(%1)").arg(def.size);
    case FieldKind::Integer:
        return QStringLiteral("LONGINT");
    case FieldKind::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldKind::Memo:
        return QStringLiteral("MEMO TEXT");
    case FieldKind::Boolean:
        return QStringLiteral("BOOLEAN INT");
    case FieldKind::Float:
        return QStringLiteral("FLOAT");
    case FieldKind::BCD:
        return QStringLiteral("BCD REAL(%1)").arg(def.size);
    case FieldKind::Money:
        return QStringLiteral("MONEY REAL");
    case FieldKind::Date:
        return QStringLiteral("DATE TEXT");
    case FieldKind::Time:
        return QStringLiteral("TIME TEXT");
    case FieldKind::DateTime:
        return QStringLiteral("DATETIME TEXT");
    case FieldKind::Unknown:
        break;
    }
    return QStringLiteral("BLOB");
}

void parseDeclaredType(const QString& typeText, bool rowidAlias, FieldKind* kind, int* size)
{
    static const QRegularExpression sizeRe(
        QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*\\d+\\s*)?\\)"));
    const QString t = typeText.trimmed().toUpper();
    int n = 0;
    const auto m = sizeRe.match(t);
    if (m.hasMatch())
        n = m.captured(1).toInt();
    *size = 0;
    if (t == QLatin1String("INTEGER")) {
        *kind = rowidAlias ? FieldKind::AutoInc : FieldKind::Integer;
    } else if (t.startsWith(QLatin1String("VARCHAR")) || t.startsWith(QLatin1String("CHAR")) ||
               t.startsWith(QLatin1String("NVARCHAR")) || t.startsWith(QLatin1String("NCHAR"))) {
        *kind = n > 0 ? FieldKind::String : FieldKind::Memo;
        *size = n;
    } else if (t == QLatin1String("LONGINT") || t == QLatin1String("INT") ||
               t == QLatin1String("BIGINT")) {
        *kind = FieldKind::Integer;
    } else if (t == QLatin1String("SMALLINT")) {
        *kind = FieldKind::SmallInt;
    } else if (t.startsWith(QLatin1String("MEMO")) || t == QLatin1String("TEXT") ||
               t == QLatin1String("CLOB")) {
        *kind = FieldKind::Memo;
    } else if (t.startsWith(QLatin1String("BOOLEAN")) || t == QLatin1String("BOOL")) {
        *kind = FieldKind::Boolean;
    } else if (t == QLatin1String("FLOAT") || t == QLatin1String("REAL") ||
               t == QLatin1String("DOUBLE")) {
        *kind = FieldKind::Float;
    } else if (t.startsWith(QLatin1String("BCD"))) {
        *kind = FieldKind::BCD;
        *size = n;
    } else if (t.startsWith(QLatin1String("MONEY"))) {
        *kind = FieldKind::Money;
    } else if (t.startsWith(QLatin1String("DATETIME")) ||
               t.startsWith(QLatin1String("TIMESTAMP"))) {
        *kind = FieldKind::DateTime;
    } else if (t.startsWith(QLatin1String("DATE"))) {
        *kind = FieldKind::Date;
    } else if (t.startsWith(QLatin1String("TIME"))) {
        *kind = FieldKind::Time;
    } else if (t.contains(QLatin1String("INT"))) {
        *kind = FieldKind::Integer;
    } else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) ||
               t.contains(QLatin1String("CLOB"))) {
        *kind = FieldKind::Memo;
    } else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
               t.contains(QLatin1String("DOUB"))) {
        *kind = FieldKind::Float;
    } else {
        *kind = FieldKind::Unknown;
    }
}

QVariant toStorage(const FieldDef& def, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    const int type = value.typeId();
    switch (def.kind) {
    case FieldKind::String:
    case FieldKind::Memo:
        if (type == QMetaType::Bool)
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        if (type == QMetaType::QDate)
            return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        return value.toString();
    case FieldKind::AutoInc:
    case FieldKind::Integer:
    case FieldKind::SmallInt: {
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        bool ok = false;
        qint64 v = 0;
        if (type == QMetaType::Double || type == QMetaType::Float) {
            const double dv = value.toDouble();
            ok = std::isfinite(dv) && dv == std::trunc(dv);
            v = qint64(dv);
        } else if (type == QMetaType::Bool) {
            ok = true;
            v = value.toBool() ? 1 : 0;
        } else {
            v = value.toString().trimmed().toLongLong(&ok);
        }
        if (!ok || (def.kind == FieldKind::SmallInt && (v < -32768 || v > 32767)))
            invalid(def, value);
        return QVariant(v);
    }
    case FieldKind::Boolean: {
        if (type == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s.isEmpty())
                return QVariant();
            if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("t") ||
                s == QLatin1String("vero") || s == QLatin1String("si") ||
                s == QLatin1String("sì") || s == QLatin1String("yes"))
                return QVariant(qint64(1));
            if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("f") ||
                s == QLatin1String("falso") || s == QLatin1String("no"))
                return QVariant(qint64(0));
            invalid(def, value);
        }
        return QVariant(qint64(value.toBool() ? 1 : 0));
    }
    case FieldKind::Float:
    case FieldKind::BCD:
    case FieldKind::Money: {
        if (type == QMetaType::QString) {
            QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            bool ok = false;
            double v = s.toDouble(&ok);
            if (!ok) {
                s.replace(u',', u'.');
                v = s.toDouble(&ok);
            }
            if (!ok)
                invalid(def, value);
            return QVariant(v);
        }
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok)
            invalid(def, value);
        return QVariant(v);
    }
    case FieldKind::Date: {
        QDate d;
        if (type == QMetaType::QDate)
            d = value.toDate();
        else if (type == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else if (value.toString().trimmed().isEmpty())
            return QVariant();
        else
            d = parseDate(value.toString());
        if (!d.isValid())
            invalid(def, value);
        return d.toString(kDateFormat);
    }
    case FieldKind::Time: {
        QTime t;
        if (type == QMetaType::QTime)
            t = value.toTime();
        else if (type == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else if (value.toString().trimmed().isEmpty())
            return QVariant();
        else
            t = parseTime(value.toString());
        if (!t.isValid())
            invalid(def, value);
        return timeText(t);
    }
    case FieldKind::DateTime: {
        QDateTime dt;
        if (type == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (type == QMetaType::QDate)
            dt = QDateTime(value.toDate(), QTime(0, 0));
        else if (value.toString().trimmed().isEmpty())
            return QVariant();
        else
            dt = parseDateTime(value.toString());
        if (!dt.isValid())
            invalid(def, value);
        return dateTimeText(dt);
    }
    case FieldKind::Unknown:
        break;
    }
    return value;
}

QVariant fromStorage(FieldKind kind, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo:
        return stored.toString();
    case FieldKind::AutoInc:
    case FieldKind::Integer:
    case FieldKind::SmallInt:
        if (stored.typeId() == QMetaType::LongLong)
            return stored;
        return QVariant(stored.toLongLong());
    case FieldKind::Boolean:
        return QVariant(stored.toLongLong() != 0);
    case FieldKind::Float:
    case FieldKind::BCD:
    case FieldKind::Money:
        return QVariant(stored.toDouble());
    case FieldKind::Date: {
        const QDate d = parseDate(stored.toString());
        return d.isValid() ? QVariant(d) : stored;
    }
    case FieldKind::Time: {
        const QTime t = parseTime(stored.toString());
        return t.isValid() ? QVariant(t) : stored;
    }
    case FieldKind::DateTime: {
        const QDateTime dt = parseDateTime(stored.toString());
        return dt.isValid() ? QVariant(dt) : stored;
    }
    case FieldKind::Unknown:
        break;
    }
    return stored;
}

QString displayValue(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime:
        return v.toTime().toString(kTimeFormat);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    default:
        return v.toString();
    }
}

QString displayText(FieldKind kind, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QString();
    return displayValue(fromStorage(kind, stored));
}

int displayWidth(const FieldDef& def)
{
    switch (def.kind) {
    case FieldKind::String:
        return def.size > 0 ? def.size : 20;
    case FieldKind::Memo:
        return 10;
    case FieldKind::AutoInc:
    case FieldKind::Integer:
        return 11;
    case FieldKind::SmallInt:
        return 6;
    case FieldKind::Boolean:
        return 5;
    case FieldKind::Float:
    case FieldKind::BCD:
    case FieldKind::Money:
        return 15;
    case FieldKind::Date:
        return 10;
    case FieldKind::Time:
        return 8;
    case FieldKind::DateTime:
        return 19;
    case FieldKind::Unknown:
        break;
    }
    return 10;
}

QString dialectDate(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{1,4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    if (!d.isValid())
        return {};
    return d.toString(kDateFormat);
}

} // namespace engine::detail
