#pragma once
// Makes sure the export template table tabexport.db exists with its declared structure.
void CreaTabellaModelli();
