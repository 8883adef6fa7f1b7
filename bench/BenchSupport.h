#pragma once
// Helpers shared by the benchmarks: wall-clock timing of our code, and the sqlite3 tool's
// own timing of the same statement on the same file.

#include "platform/AppFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace bench {

// A temporary application folder for one benchmark run; the contacts table lives in it.
struct AppFolder
{
    AppFolder() { qputenv(platform::kAppFolderVariable, dir.path().toLocal8Bit()); }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
    QTemporaryDir dir;
};

// Best of `runs` wall-clock times of `work`, in milliseconds.
inline double timeMs(const std::function<void()>& work, int runs = 3)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

// The sqlite3 tool's "Run Time: real" for `sql` (one or more statements, which may start
// with dot-commands such as ".separator") on `dbFile`, summed over the statements, best
// of `runs`; query output goes to `outputFile` (/dev/null when empty).
// Returns a negative number when the tool cannot be run.
inline double sqlite3Ms(const QString& dbFile, const QString& sql, int runs = 3,
                        const QString& outputFile = QString())
{
    static const QRegularExpression realRe(QStringLiteral("Run Time: real ([0-9.]+)"));
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {dbFile});
        if (!p.waitForStarted())
            return -1;
        const QString output = outputFile.isEmpty() ? QStringLiteral("/dev/null") : outputFile;
        p.write(QStringLiteral(".timer on\n.output %1\n%2\n.quit\n").arg(output, sql).toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        double total = 0;
        auto it = realRe.globalMatch(out);
        int n = 0;
        while (it.hasNext()) {
            total += it.next().captured(1).toDouble() * 1000.0;
            ++n;
        }
        if (n == 0)
            return -1;
        best = std::min(best, total);
    }
    return best;
}

// Our work and the sqlite3 tool's twin of it, taking turns `runs` times so that a busy
// machine slows both alike, and both read a file already in the page cache. Best of each.
struct Pair
{
    double ours;
    double sqlite3;
};
inline Pair compare(const std::function<void()>& work, const QString& dbFile, const QString& sql,
                    int runs = 5, const std::function<void()>& untimedBefore = {},
                    const QString& outputFile = QString())
{
    Pair best{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    for (int i = 0; i < runs; ++i) {
        if (untimedBefore)
            untimedBefore();
        best.ours = std::min(best.ours, timeMs(work, 1));
        const double twin = sqlite3Ms(dbFile, sql, 1, outputFile);
        if (twin < 0)
            best.sqlite3 = -1;
        else if (best.sqlite3 >= 0)
            best.sqlite3 = std::min(best.sqlite3, twin);
    }
    return best;
}

inline void report(const char* name, double oursMs, double sqliteMs = -1)
{
    if (sqliteMs < 0) {
        std::printf("%s ours_ms=%.1f\n", name, oursMs);
    } else {
        // The tool reports whole milliseconds; a 0 is counted as 1 for the ratio.
        const double base = std::max(sqliteMs, 1.0);
        std::printf("%s ours_ms=%.1f sqlite3_ms=%.1f ratio=%.2f\n", name, oursMs, sqliteMs,
                    oursMs / base);
    }
    std::fflush(stdout);
}

inline void report(const char* name, const Pair& p)
{
    report(name, p.ours, p.sqlite3);
}

} // namespace bench
