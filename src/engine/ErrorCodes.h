#pragma once
// Help contexts of the table engine's errors, one family per kind of failure.

namespace engine::help {

inline constexpr int TableNotFound = 10100; // no file of that name
inline constexpr int TableExists = 10101;   // rename onto an existing table
inline constexpr int FileError = 10102;     // the file cannot be created, deleted, renamed
inline constexpr int OpenFailed = 10110;    // the file is not a table, or cannot be opened
inline constexpr int TableInUse = 10120;    // held elsewhere: busy, locked, being copied
inline constexpr int KeyViolation = 10130;  // unique or primary key clash
inline constexpr int RequiredField = 10131; // a required field without a value
inline constexpr int InvalidValue = 10140;  // a value that does not fit the field's kind
inline constexpr int FieldNotFound = 10150;
inline constexpr int FilterSyntax = 10160;
inline constexpr int QuerySyntax = 10170;   // the query cannot be read or run
inline constexpr int QueryRefused = 10171;  // not a single read-only SELECT
inline constexpr int NotActive = 10180;     // the dataset is closed
inline constexpr int WrongState = 10181;    // not editing, read-only, empty set
inline constexpr int BadDefinition = 10190; // field or index definitions that cannot be made
inline constexpr int Internal = 10199;      // anything else the database reports

} // namespace engine::help
