// EseguiEAttendi with real processes: exit codes, the four errors, what the child gets.

#include "engine/Error.h"
#include "shell/Fx.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString shell(const QString& script)
{
    return QStringLiteral("/bin/sh -c \"%1\"").arg(script);
}

// Runs a command line and returns the error text it raised, or "" when it raised none.
QString errorOf(const QString& commandLine)
{
    try {
        EseguiEAttendi(commandLine);
    } catch (const zr::Error& e) {
        return e.message();
    }
    return QString();
}

void writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    QVERIFY(
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

} // namespace

class TstFxProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exitCodes_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("code");
        QTest::newRow("0") << shell("exit 0") << 0;
        QTest::newRow("1") << shell("exit 1") << 1;
        QTest::newRow("3") << shell("exit 3") << 3;
        QTest::newRow("-2 as 254") << shell("exit 254") << -2;
        QTest::newRow("-1 as 255") << shell("exit 255") << -1;
        QTest::newRow("127") << shell("exit 127") << 127;
        QTest::newRow("-128 as 128") << shell("exit 128") << -128;
        QTest::newRow("program on the search path") << QStringLiteral("false") << 1;
    }
    void exitCodes()
    {
        QFETCH(QString, commandLine);
        QFETCH(int, code);
        QCOMPARE(EseguiEAttendi(commandLine), code);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing program")
            << QStringLiteral("/nonexistent/Pdxrbld.exe -Q+ -R1 \"/F/nonexistent/\"")
            << "Error during CreateProcess";
        QTest::newRow("missing program on the path")
            << QStringLiteral("no-such-program-zr") << "Error during CreateProcess";
        QTest::newRow("empty line") << QString() << "Error during CreateProcess";
        QTest::newRow("blank line") << QStringLiteral("   ") << "Error during CreateProcess";
        QTest::newRow("not executable")
            << QStringLiteral("/etc/passwd") << "Error during CreateProcess";
        QTest::newRow("a folder") << QStringLiteral("/tmp") << "Error during CreateProcess";
        QTest::newRow("killed, no exit code")
            << shell("kill -9 $$") << "Error in GetExitCodeProcess";
    }
    void errors()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, error);
        QCOMPARE(errorOf(commandLine), error);
    }

    void argumentsArriveAsWritten()
    {
        // The rebuild tool's own line shape, in a folder with blanks in its name.
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zr dir XXXXXX"));
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + u'/';
        const QString tool = folder + QStringLiteral("Pdxrbld.exe");
        const QString out = folder + QStringLiteral("args.txt");
        writeScript(tool, "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"\nexit 5\n");
        const QString line = QStringLiteral("\"%1\" -Q+ -R1 \"/F%2\"").arg(tool, folder);
        QCOMPARE(EseguiEAttendi(line), 5);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(f.readAll()),
                 QStringLiteral("-Q+\n-R1\n/F%1\n").arg(folder));
    }

    void waitsForTheEnd()
    {
        // The result comes only after the program has done its work.
        QTemporaryDir dir;
        const QString mark = dir.filePath(QStringLiteral("done"));
        QCOMPARE(
            EseguiEAttendi(shell(QStringLiteral("sleep 0.3; echo x > '%1'; exit 4").arg(mark))), 4);
        QVERIFY(QFile::exists(mark));
    }

    void noHandlesInherited()
    {
        // A descriptor of ours without close-on-exec (a table file, say) is not passed on.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubry.Db"));
        QFile(path).open(QIODevice::WriteOnly);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QVERIFY(::dup2(fd, 200) == 200);
        QCOMPARE(EseguiEAttendi(shell("test -e /proc/self/fd/200 && exit 9; exit 0")), 0);
        // The check itself works: the descriptor is there in this process.
        QVERIFY(QFile::exists(QStringLiteral("/proc/self/fd/200")));
        ::close(200);
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TstFxProcess)
#include "tst_fx_process.moc"
