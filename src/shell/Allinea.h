#pragma once
// Brings a table file to the structure declared in code, keeping its records.

#include "engine/DataSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// table: closed, named by its bare file name, carrying the declared fieldDefs/indexDefs.
// On return the table exists under that name; the definitions are cleared.
//
// A rebuild builds the new table completely under the temporary name and then puts it in
// the place of the old file with one rename, so the records are always in the table of the
// declared name. A start that finds the declared table missing but its temporary table
// present (an earlier swap interrupted) takes the records from the temporary table.
void AllineaTabella(engine::Table& table);

// Copies the current record of source into a new record of destination; true when posted.
// A refused record is logged to dberrori.log and warned about.
bool CopiaRecord(engine::DataSet& source, engine::Table& destination);

// --- Parts of the alignment, also used on their own ------------------------------------

// Name of the temporary table of a rebuild: "Rubry.Db" -> "Rubry.DbAPPOGGIO.Db".
QString NomeTabellaAppoggio(const QString& tableName);

// Does a stored structure agree with the declared one? Extra stored fields, the required
// flag and memo sizes do not count; a declared {Primary} index agrees with a stored
// {Primary, Unique} one.
bool StrutturaConcorde(const engine::FieldDefs& declaredFields,
                       const engine::IndexDefs& declaredIndexes,
                       const engine::FieldDefs& storedFields,
                       const engine::IndexDefs& storedIndexes);

// Adds lines to dberrori.log in the application folder: the lines already there are kept,
// every line ends with CR LF, the new text is written in Windows-1252. The file is replaced
// as a whole, so a crash leaves either the old or the new log.
void AggiungiAlLogErrori(const QStringList& lines);

// Windows-1252 bytes of a text; characters outside the code page become '?'.
QByteArray InWindows1252(const QString& text);
