// CopiaFile: what is copied, what is refused, and what is left behind on failure.

#include "TestEnv.h"
#include "engine/DataSet.h"
#include "shell/Fx.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

void setMode(const QString& path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// Holds a lock on a file through its own descriptor, like the table engine or another
// running instance does.
struct Holder
{
    int fd = -1;
    Holder(const QString& path, int how)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
            ::flock(fd, how);
    }
    ~Holder()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class Scenario {
    NewTarget,
    ExistingTarget,
    LongerExistingTarget,
    ReadOnlyTarget,
    SamePath,
    SameFileOtherText,
    MissingSource,
    SourceLockedShared,
    SourceLockedExclusive,
    TargetLockedShared,
    SourceIsFolder,
    TargetFolderMissing,
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class TstFxCopia : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString src() const { return dir.filePath(QStringLiteral("Rubry.Db")); }
    QString dst() const { return dir.filePath(QStringLiteral("copia.db")); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(dir.isValid());
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            setMode(dir.filePath(name), 0644);
            QFile::remove(dir.filePath(name));
        }
    }

    void cases_data()
    {
        QTest::addColumn<Scenario>("scenario");
        QTest::addColumn<bool>("copied");
        // What the target holds afterwards: "source", "before" (untouched), or "<absent>".
        QTest::addColumn<QString>("targetAfter");

        QTest::newRow("new target") << Scenario::NewTarget << true << "source";
        QTest::newRow("existing target replaced") << Scenario::ExistingTarget << true << "source";
        QTest::newRow("longer target cut to the source")
            << Scenario::LongerExistingTarget << true << "source";
        QTest::newRow("read-only target kept") << Scenario::ReadOnlyTarget << false << "before";
        QTest::newRow("same path") << Scenario::SamePath << false << "source";
        QTest::newRow("same file, other text") << Scenario::SameFileOtherText << false << "source";
        QTest::newRow("missing source") << Scenario::MissingSource << false << "<absent>";
        QTest::newRow("source held shared") << Scenario::SourceLockedShared << false << "<absent>";
        QTest::newRow("source held exclusive")
            << Scenario::SourceLockedExclusive << false << "<absent>";
        QTest::newRow("target held shared") << Scenario::TargetLockedShared << false << "before";
        QTest::newRow("source is a folder") << Scenario::SourceIsFolder << false << "<absent>";
        QTest::newRow("target folder missing")
            << Scenario::TargetFolderMissing << false << "<absent>";
    }

    void cases()
    {
        QFETCH(Scenario, scenario);
        QFETCH(bool, copied);
        QFETCH(QString, targetAfter);

        const QByteArray content = pattern(5000);
        const QByteArray before("older target contents");
        QString source = src();
        QString target = dst();
        std::unique_ptr<Holder> holder;

        if (scenario != Scenario::MissingSource && scenario != Scenario::SourceIsFolder)
            write(source, content);
        switch (scenario) {
        case Scenario::ExistingTarget:
        case Scenario::ReadOnlyTarget:
        case Scenario::TargetLockedShared:
            write(target, before);
            break;
        case Scenario::LongerExistingTarget:
            write(target, pattern(9000).toBase64());
            break;
        default:
            break;
        }
        switch (scenario) {
        case Scenario::ReadOnlyTarget:
            setMode(target, 0444);
            break;
        case Scenario::SamePath:
            target = source;
            break;
        case Scenario::SameFileOtherText:
            target = dir.path() + QStringLiteral("/./Rubry.Db");
            break;
        case Scenario::SourceLockedShared:
            holder = std::make_unique<Holder>(source, LOCK_SH);
            break;
        case Scenario::SourceLockedExclusive:
            holder = std::make_unique<Holder>(source, LOCK_EX);
            break;
        case Scenario::TargetLockedShared:
            holder = std::make_unique<Holder>(target, LOCK_SH);
            break;
        case Scenario::SourceIsFolder:
            source = dir.filePath(QStringLiteral("cartella"));
            QVERIFY(QDir().mkpath(source));
            break;
        case Scenario::TargetFolderMissing:
            target = dir.filePath(QStringLiteral("manca/copia.db"));
            break;
        default:
            break;
        }

        QCOMPARE(CopiaFile(source, target), copied);

        const QByteArray expected = targetAfter == QLatin1String("source") ? content
                                    : targetAfter == QLatin1String("before")
                                        ? before
                                        : QByteArray("<absent>");
        QCOMPARE(read(target), expected);
        if (scenario != Scenario::MissingSource && scenario != Scenario::SourceIsFolder)
            QCOMPARE(read(source), content); // the source is never changed
    }

    void sizesAroundTheBuffer_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 2047, 2048, 2049, 3 * 2048 + 17, 1 << 20})
            QTest::addRow("%d bytes", size) << size;
    }

    void sizesAroundTheBuffer()
    {
        QFETCH(int, size);
        const QByteArray content = pattern(size);
        write(src(), content);
        write(dst(), pattern(size + 3000)); // a longer old target must not leave a tail
        QVERIFY(CopiaFile(src(), dst()));
        QCOMPARE(read(dst()), content);
    }

    void timeKept()
    {
        write(src(), "abc");
        // An odd second with a fraction: the copy must carry it to within two seconds.
        const QDateTime when(QDate(2001, 5, 3), QTime(10, 11, 13, 700));
        {
            QFile f(src());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        }
        QVERIFY(CopiaFile(src(), dst()));
        const QDateTime copied = QFileInfo(dst()).lastModified();
        QVERIFY2(qAbs(copied.msecsTo(when)) < 2000, qPrintable(copied.toString(Qt::ISODateWithMs)));
    }

    void readOnlyKept()
    {
        write(src(), "sola lettura");
        setMode(src(), 0444);
        QVERIFY(CopiaFile(src(), dst()));
        QCOMPARE(modeOf(dst()) & 0222, mode_t(0));
        QCOMPARE(read(dst()), QByteArray("sola lettura"));

        // A later copy onto the read-only copy fails and leaves it as it is.
        const QString other = dir.filePath(QStringLiteral("altro.db"));
        write(other, "altro contenuto");
        QVERIFY(!CopiaFile(other, dst()));
        QCOMPARE(read(dst()), QByteArray("sola lettura"));
        setMode(src(), 0644);
        setMode(dst(), 0644);
    }

    void writableSourceGivesWritableCopy()
    {
        write(src(), "x");
        setMode(src(), 0640);
        QVERIFY(CopiaFile(src(), dst()));
        QCOMPARE(modeOf(dst()), mode_t(0640));
    }

    void lockReleasedAfterwards()
    {
        // Neither file stays held once the copy is done.
        write(src(), "abc");
        QVERIFY(CopiaFile(src(), dst()));
        for (const QString& path : {src(), dst()}) {
            Holder h(path, LOCK_EX | LOCK_NB);
            QVERIFY(h.fd >= 0);
            QCOMPARE(::flock(h.fd, LOCK_EX | LOCK_NB), 0);
        }
    }

    void refusedWhileTheEngineHoldsTheTable()
    {
        testing_support::TestEnv env;
        engine::Table table(QStringLiteral("Rubry.Db"));
        table.fieldDefs << engine::FieldDef{QStringLiteral("Nome"), engine::FieldKind::String, 50,
                                            false};
        table.createTable();
        table.open();
        table.insertRecord({QStringLiteral("Mario")});
        const QString source = env.file(QStringLiteral("Rubry.Db"));
        const QString target = env.file(QStringLiteral("copia.db"));
        QVERIFY(!CopiaFile(source, target));
        QVERIFY(!QFile::exists(target));
        table.close();
        QVERIFY(CopiaFile(source, target));
        QCOMPARE(read(target), read(source));
        // A copy that the engine holds open is not overwritten either.
        engine::Table copy(QStringLiteral("copia.db"));
        copy.open();
        const QByteArray before = read(target);
        write(source, "altro");
        QVERIFY(!CopiaFile(source, target));
        QCOMPARE(read(target), before);
        copy.close();
    }

    void failingWrite_data()
    {
        QTest::addColumn<bool>("targetExisted");
        QTest::newRow("new target") << false;
        QTest::newRow("existing target") << true;
    }

    void failingWrite()
    {
        // A file size limit makes the writes fail half-way, as a full disk would.
        QFETCH(bool, targetExisted);
        write(src(), pattern(10000));
        if (targetExisted)
            write(dst(), "old");
        struct rlimit saved
        {
        };
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool copied = CopiaFile(src(), dst());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!copied);
        QVERIFY2(!QFile::exists(dst()), "a truncated copy was left behind");
    }
};

QTEST_GUILESS_MAIN(TstFxCopia)
#include "tst_fx_copia.moc"
