#include "platform/Process.h"

#include "engine/Error.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

namespace platform {

namespace {

// One check of the process run: raises the run's error when the step failed.
void Verifica(bool ok, const char* text)
{
    if (!ok)
        throw zr::Error(QString::fromLatin1(text));
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QStringList splitCommandLine(const QString& commandLine)
{
    QStringList out;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (i < n && isBlank(commandLine[i]))
        ++i;
    if (i >= n)
        return out;

    // The program path: no escapes, quotes only group.
    QString program;
    if (commandLine[i] == u'"') {
        ++i;
        while (i < n && commandLine[i] != u'"')
            program += commandLine[i++];
        if (i < n)
            ++i; // closing quote
    } else {
        while (i < n && !isBlank(commandLine[i]))
            program += commandLine[i++];
    }
    out << program;

    while (true) {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        QString arg;
        bool quoted = false;
        while (i < n) {
            const QChar c = commandLine[i];
            if (c == u'\\') {
                qsizetype slashes = 0;
                while (i < n && commandLine[i] == u'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine[i] == u'"') {
                    arg += QString(slashes / 2, u'\\');
                    if (slashes % 2) {
                        arg += u'"';
                        ++i;
                    }
                    // An even count leaves the quote to the next round, where it groups.
                } else {
                    arg += QString(slashes, u'\\');
                }
                continue;
            }
            if (c == u'"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == u'"') {
                    arg += u'"'; // "" inside quotes is one literal quote
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && isBlank(c))
                break;
            arg += c;
            ++i;
        }
        out << arg;
    }
    return out;
}

#ifdef Q_OS_WIN

int runProcess(const QString& commandLine)
{
    std::wstring line = commandLine.toStdWString();
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Verifica(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                            nullptr, nullptr, &startup, &info),
             "Error during CreateProcess");
    CloseHandle(info.hThread);
    struct Handle
    {
        HANDLE h;
        ~Handle()
        {
            if (h)
                CloseHandle(h);
        }
    } process{info.hProcess};
    Verifica(WaitForSingleObject(process.h, INFINITE) != WAIT_FAILED,
             "Error in WaitForSingleObject");
    DWORD code = 0;
    Verifica(GetExitCodeProcess(process.h, &code), "Error in GetExitCodeProcess");
    const BOOL closed = CloseHandle(process.h);
    process.h = nullptr;
    Verifica(closed, "Error in process Close Handle");
    return static_cast<int>(code);
}

#else

namespace {

struct Fd
{
    int fd = -1;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// Closes every descriptor from `from` up, in the child between fork and exec.
void closeFrom(int from, long maxFd)
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, static_cast<unsigned>(from), ~0U, 0U) == 0)
        return;
#endif
    for (long fd = from; fd < maxFd; ++fd)
        ::close(static_cast<int>(fd));
}

} // namespace

int runProcess(const QString& commandLine)
{
    QStringList args = splitCommandLine(commandLine);
    Verifica(!args.isEmpty() && !args.first().isEmpty(), "Error during CreateProcess");
    QString program = args.first();
    if (!program.contains(u'/'))
        program = QStandardPaths::findExecutable(program);
    Verifica(!program.isEmpty(), "Error during CreateProcess");

    // Everything the child needs is prepared before the fork: after it, the child calls
    // only async-signal-safe functions.
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (qsizetype i = 1; i < args.size(); ++i)
        storage.push_back(args[i].toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    long maxFd = ::sysconf(_SC_OPEN_MAX);
    if (maxFd < 0 || maxFd > 65536)
        maxFd = 65536;

    // A close-on-exec pipe tells the parent whether exec failed, and why.
    int pipeFds[2];
    Verifica(::pipe2(pipeFds, O_CLOEXEC) == 0, "Error during CreateProcess");
    Fd readEnd{pipeFds[0]};
    Fd writeEnd{pipeFds[1]};

    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child: no handle of the parent but the standard three goes with it.
        const int report = 3;
        if (writeEnd.fd != report)
            ::dup2(writeEnd.fd, report);
        ::fcntl(report, F_SETFD, FD_CLOEXEC);
        closeFrom(4, maxFd);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGXFSZ, SIG_DFL);
        ::execv(argv[0], argv.data());
        const int err = errno;
        [[maybe_unused]] const ssize_t written = ::write(report, &err, sizeof err);
        ::_exit(127);
    }
    writeEnd.reset();
    Verifica(pid > 0, "Error during CreateProcess");

    int childErrno = 0;
    ssize_t got;
    do {
        got = ::read(readEnd.fd, &childErrno, sizeof childErrno);
    } while (got < 0 && errno == EINTR);
    readEnd.reset();

    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);

    Verifica(got != static_cast<ssize_t>(sizeof childErrno), "Error during CreateProcess");
    Verifica(waited == pid, "Error in WaitForSingleObject");
    Verifica(WIFEXITED(status), "Error in GetExitCodeProcess");
    // POSIX keeps 8 bits of the status: a tool that ends with -2 reports 254.
    return static_cast<int>(static_cast<signed char>(WEXITSTATUS(status) & 0xff));
}

#endif

} // namespace platform
