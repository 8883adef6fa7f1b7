#pragma once
// Table preparation done by the main window's creation: the template table first
// (its error propagates to the caller), then the contacts table (its failure is reported
// with "Fallito tentativo di creazione dell'archivio principale!").
void PreparaTabelle();
