// How one command line becomes a program and its arguments.

#include "platform/Process.h"

#include <QtTest>

class TstCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("rebuild tool")
            << "/opt/zr/Pdxrbld.exe -Q+ -R1 \"/F/opt/zr/\""
            << QStringList{"/opt/zr/Pdxrbld.exe", "-Q+", "-R1", "/F/opt/zr/"};
        QTest::newRow("quoted program with blanks")
            << "\"/opt/my zr/tool\" a" << QStringList{"/opt/my zr/tool", "a"};
        QTest::newRow("program backslashes kept")
            << "C:\\Dati\\Pdxrbld.exe -Q+" << QStringList{"C:\\Dati\\Pdxrbld.exe", "-Q+"};
        QTest::newRow("blanks around") << "  prog   a \t b  " << QStringList{"prog", "a", "b"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blank only") << "   " << QStringList{};
        QTest::newRow("quoted blank arg") << "p \"a b\" c" << QStringList{"p", "a b", "c"};
        QTest::newRow("quote mid-word") << "p /F\"a b\"c" << QStringList{"p", "/Fa bc"};
        QTest::newRow("empty quoted arg") << "p \"\" x" << QStringList{"p", "", "x"};
        QTest::newRow("escaped quote") << "p a\\\"b" << QStringList{"p", "a\"b"};
        QTest::newRow("two backslashes then quote")
            << "p \"a\\\\\" b" << QStringList{"p", "a\\", "b"};
        QTest::newRow("three backslashes then quote")
            << "p a\\\\\\\"b" << QStringList{"p", "a\\\"b"};
        QTest::newRow("backslashes without quote") << "p a\\\\b\\" << QStringList{"p", "a\\\\b\\"};
        QTest::newRow("double quote inside quotes") << "p \"a\"\"b\"" << QStringList{"p", "a\"b"};
        QTest::newRow("unterminated quote") << "p \"a b" << QStringList{"p", "a b"};
    }
    void split()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, parts);
        QCOMPARE(platform::splitCommandLine(line), parts);
    }
};

QTEST_GUILESS_MAIN(TstCommandLine)
#include "tst_command_line.moc"
