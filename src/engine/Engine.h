#pragma once
// Settings of the table engine as a whole.

namespace engine {

// How long (milliseconds) an operation waits for a table that another program holds
// before it raises "in use" (help::TableInUse). Default 500. Applies to cursors opened
// afterwards; tests that provoke the error may lower it.
void setBusyTimeout(int ms);
int busyTimeout();

} // namespace engine
