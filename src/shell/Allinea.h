#pragma once
// Brings a table file to the structure declared in code, keeping its records.

#include "engine/DataSet.h"

// table: closed, named by its bare file name, carrying the declared fieldDefs/indexDefs.
// On return the table exists under that name; the definitions are cleared.
void AllineaTabella(engine::Table& table);

// Copies the current record of source into a new record of destination; true when posted.
// A refused record is logged to dberrori.log and warned about.
bool CopiaRecord(engine::DataSet& source, engine::Table& destination);
