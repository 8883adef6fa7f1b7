#pragma once
// The contacts table Rubry.Db: NumID (auto-increment), Cognome 50, Nome 50, Numero 20,
// Mail 40; no indexes.

#include "engine/DataSet.h"

inline constexpr const char* kTabellaRubrica = "Rubry.Db";

// Declares the contact fields, in order, on a closed table object.
void DichiaraCampiRubrica(engine::Table& table);
