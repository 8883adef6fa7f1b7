#pragma once
// Running an external program from one command line and waiting for its end.

#include <QString>
#include <QStringList>

namespace platform {

// Splits a command line the way Windows programs read theirs: the program path first (up to
// the first blank, or between double quotes, taken as written), then the arguments, where
// double quotes group blanks, and backslashes escape a double quote only when they come
// right before one (2n backslashes + quote: n backslashes and a grouping quote; 2n+1: n
// backslashes and a literal quote).
QStringList splitCommandLine(const QString& commandLine);

// Starts the program of the command line with the caller's environment and current folder,
// passing on no open file other than standard input, output and error, and waits for its end
// without limit and without dispatching window events. Returns the exit status as a signed
// number: on POSIX the 8-bit status is sign-extended, so a tool that ends with -2 yields -2.
// Raises zr::Error with "Error during CreateProcess" (cannot be started), "Error in
// WaitForSingleObject" (the wait failed), "Error in GetExitCodeProcess" (no exit status, e.g.
// killed by a signal) or "Error in process Close Handle".
int runProcess(const QString& commandLine);

} // namespace platform
