#include "shell/Allinea.h"

#include "engine/ErrorCodes.h"
#include "platform/AppFolder.h"
#include "shell/Fx.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTime>

#include <array>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using engine::FieldKind;
using engine::IndexOption;

namespace {

const QString kLogName = QStringLiteral("dberrori.log");

// Gives the declared object its declared name back however the alignment ends.
class NomeDichiarato
{
public:
    NomeDichiarato(engine::Table& table) : m_table(table), m_name(table.tableName()) {}
    ~NomeDichiarato() { m_table.setTableName(m_name); }
    const QString& name() const { return m_name; }

private:
    engine::Table& m_table;
    QString m_name;
};

// Cancels an unfinished insertion, rolls back an unfinished transaction, closes the tables
// of a rebuild that stopped on an error.
class ChiusuraSicura
{
public:
    explicit ChiusuraSicura(std::initializer_list<engine::Table*> tables) : m_tables(tables) {}
    ~ChiusuraSicura()
    {
        for (engine::Table* t : m_tables) {
            try {
                if (t->inTransaction())
                    t->rollback();
                if (t->active())
                    t->close();
            } catch (const std::exception&) {
                // Already on the way out with the first error.
            }
        }
    }

private:
    QList<engine::Table*> m_tables;
};

void cancellaDefinizioni(engine::Table& table)
{
    table.fieldDefs.clear();
    table.indexDefs.clear();
}

bool indiceConcorde(const engine::IndexDef& declared, const engine::IndexDef& stored)
{
    const bool options =
        declared.options == stored.options ||
        (declared.options == engine::IndexOptions(IndexOption::Primary) &&
         stored.options == (engine::IndexOptions(IndexOption::Primary) | IndexOption::Unique));
    return options && declared.expression == stored.expression &&
           declared.fields == stored.fields && declared.name == stored.name;
}

// Source and destination values of a refused record: one line per field.
void righeCampi(engine::DataSet& data, QStringList& lines)
{
    for (int i = 0; i < data.fieldCount(); ++i) {
        engine::Field& f = data.field(i);
        lines << f.name() + QStringLiteral(": '") + f.asString() + u'\'';
    }
}

QString nomeTabella(const engine::DataSet& data)
{
    const auto* table = qobject_cast<const engine::Table*>(&data);
    return table ? table->tableName() : QString();
}

// Makes a finished write reach the disk before the file is put in place.
void scriviSuDisco(const QString& path)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

// Puts the new table file in the place of the old one with one rename: at every moment
// the declared name holds either the whole old table or the whole new one. The old file
// must not be open elsewhere (the engine holds a shared lock on the files it has open):
// its exclusive lock is held across the rename.
void sostituisciFile(const QString& nuovo, const QString& vecchio)
{
    scriviSuDisco(nuovo);
    // Files SQLite may have left beside the old table belong to its old content; the table
    // was opened and closed cleanly just now, so none of them holds anything still needed.
    const QStringList companions = {QStringLiteral("-journal"), QStringLiteral("-wal"),
                                    QStringLiteral("-shm")};
#ifdef Q_OS_WIN
    for (const QString& c : companions)
        QFile::remove(vecchio + c);
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(nuovo.utf16()),
                     reinterpret_cast<LPCWSTR>(vecchio.utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw zr::Error(QStringLiteral("Cannot rename %1 to %2").arg(nuovo, vecchio));
#else
    const int fd = ::open(QFile::encodeName(vecchio).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw zr::Error(QStringLiteral("Cannot open %1").arg(vecchio));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw zr::Error(QStringLiteral("The table %1 is in use.").arg(vecchio));
    }
    for (const QString& c : companions)
        QFile::remove(vecchio + c);
    const int rc =
        std::rename(QFile::encodeName(nuovo).constData(), QFile::encodeName(vecchio).constData());
    ::close(fd);
    if (rc != 0)
        throw zr::Error(QStringLiteral("Cannot rename %1 to %2").arg(nuovo, vecchio));
    scriviSuDisco(QFileInfo(vecchio).absolutePath());
#endif
}

// Can the table be opened? A file that is no table at all holds nothing to recover; any
// other failure (a table held elsewhere) reaches the caller.
bool tabellaLeggibile(engine::Table& table)
{
    try {
        table.open();
        table.close();
        return true;
    } catch (const zr::EngineError& error) {
        if (error.helpContext() != engine::help::OpenFailed)
            throw;
        return false;
    }
}

// The lines of an existing file, split at CR LF, CR or LF; the bytes of each line as they are.
QList<QByteArray> righeEsistenti(const QString& path)
{
    QList<QByteArray> lines;
    QFile file(path);
    if (!file.exists())
        return lines;
    if (!file.open(QIODevice::ReadOnly))
        throw zr::Error(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << bytes.mid(start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << bytes.mid(start);
    return lines;
}

} // namespace

QByteArray InWindows1252(const QString& text)
{
    // 0x80-0x9F of the code page; 0 where the code page leaves a byte undefined.
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.append(char(c));
            continue;
        }
        char byte = '?';
        for (size_t i = 0; i < high.size(); ++i) {
            if (high[i] != 0 && high[i] == c) {
                byte = char(0x80 + i);
                break;
            }
        }
        out.append(byte);
    }
    return out;
}

QString NomeTabellaAppoggio(const QString& tableName)
{
    const qsizetype dot = tableName.lastIndexOf(u'.');
    const QString extension = dot >= 0 ? tableName.mid(dot) : QString();
    return tableName + QStringLiteral("APPOGGIO") + extension;
}

bool StrutturaConcorde(const engine::FieldDefs& declaredFields,
                       const engine::IndexDefs& declaredIndexes,
                       const engine::FieldDefs& storedFields,
                       const engine::IndexDefs& storedIndexes)
{
    for (const engine::FieldDef& declared : declaredFields) {
        const engine::FieldDef* stored = nullptr;
        for (const engine::FieldDef& s : storedFields) {
            if (s.name.compare(declared.name, Qt::CaseInsensitive) == 0) {
                stored = &s;
                break;
            }
        }
        if (!stored || stored->kind != declared.kind)
            return false;
        if (stored->kind != FieldKind::Memo && stored->size != declared.size)
            return false;
    }
    if (storedIndexes.size() != declaredIndexes.size())
        return false;
    for (const engine::IndexDef& declared : declaredIndexes) {
        bool found = false;
        for (const engine::IndexDef& stored : storedIndexes) {
            if (indiceConcorde(declared, stored)) {
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

void AggiungiAlLogErrori(const QStringList& lines)
{
    const QString path = platform::appFile(kLogName);
    QByteArray bytes;
    for (const QByteArray& line : righeEsistenti(path))
        bytes += line + "\r\n";
    for (const QString& line : lines)
        bytes += InWindows1252(line) + "\r\n";

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw zr::Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

bool CopiaRecord(engine::DataSet& source, engine::Table& destination)
{
    destination.append();
    for (int i = 0; i < source.fieldCount(); ++i) {
        engine::Field& from = source.field(i);
        engine::Field* to = destination.findField(from.name());
        if (to && to->kind() != FieldKind::AutoInc)
            to->setValue(from.value());
    }
    try {
        destination.post();
        return true;
    } catch (const zr::Error& error) {
        try {
            QLocale locale = QLocale::system();
            QStringList block;
            block << QString()
                  << QStringLiteral("data e ora: ") +
                         locale.toString(QDate::currentDate(), QLocale::ShortFormat) + u' ' +
                         locale.toString(QTime::currentTime(), QLocale::LongFormat)
                  << QStringLiteral("Errore: ") + error.message() +
                         QStringLiteral(" - Help context: ") + QString::number(error.helpContext())
                  << QStringLiteral("DATI RECORD TABELLA ORIGINE: ") + nomeTabella(source) +
                         QStringLiteral(", DATABASE: ") + source.databaseName();
            righeCampi(source, block);
            block << QString()
                  << QStringLiteral("DATI RECORD TABELLA DESTINAZIONE:") + destination.tableName() +
                         QStringLiteral(", DATABASE: ") + destination.databaseName();
            righeCampi(destination, block);
            AggiungiAlLogErrori(block);
        } catch (...) {
            destination.cancel();
            throw;
        }
        MostraAttenzione(QStringLiteral("Trovati errori in fase di aggiornamento tabella.+#1310+"
                                        "Consultare il file ") +
                         PercorsoProgramma() + kLogName +
                         QStringLiteral(" e contattare Zentor Zudizeveda."));
        destination.cancel();
        return false;
    }
}

void AllineaTabella(engine::Table& table)
{
    NomeDichiarato declared(table);
    const QString name = declared.name();
    const QString appoggioName = NomeTabellaAppoggio(name);

    if (!table.exists()) {
        // An earlier swap that stopped half way leaves the records in the temporary table:
        // take them from there instead of starting an empty table.
        engine::Table appoggio(appoggioName);
        appoggio.setDatabaseName(table.databaseName());
        if (!appoggio.exists() || !tabellaLeggibile(appoggio)) {
            table.createTable();
            cancellaDefinizioni(table);
            return;
        }
        appoggio.renameTable(name);
    }

    engine::Table existing(name);
    existing.setDatabaseName(table.databaseName());
    table.setTableName(appoggioName);
    ChiusuraSicura closer{&existing, &table};

    existing.open();
    const bool agree = StrutturaConcorde(table.fieldDefs, table.indexDefs, existing.storedFields(),
                                         existing.storedIndexes());
    existing.close();
    if (agree) {
        cancellaDefinizioni(table);
        return;
    }

    // Rebuild: the new table is made whole under the temporary name (a left-over one is
    // replaced), then takes the old file's place in one step.
    table.createTable();
    existing.open();
    table.open();
    int missing = 0;
    table.startTransaction();
    for (existing.first(); !existing.eof(); existing.next()) {
        if (!CopiaRecord(existing, table))
            ++missing;
    }
    table.commit();
    const QString oldPath = existing.filePath();
    existing.close();
    table.close();

    if (missing > 0)
        MostraMessaggio(QStringLiteral("Attenzione! alla tabella: ") + name +
                        QStringLiteral(" mancano n. ") + QString::number(missing) +
                        QStringLiteral(" records (righe)."));

    try {
        sostituisciFile(table.filePath(), oldPath);
    } catch (const std::exception&) {
        MostraErrore(QStringLiteral("Non riesco ad aggiornare la tabella: '") + name + u'\'');
    }
    cancellaDefinizioni(table);
}
