#pragma once
// Makes sure the export template table tabexport.db exists with its declared structure.

#include "engine/DataSet.h"

inline constexpr const char* kTabellaModelli = "tabexport.db";

// Declares the fourteen template fields, in order, and the primary index on PROGR.
void DichiaraCampiModelli(engine::Table& table);

// Creates tabexport.db or brings it to its declared structure, records kept. Shows the
// hourglass meanwhile. Errors of the alignment reach the caller.
void CreaTabellaModelli();
