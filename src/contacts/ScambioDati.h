#pragma once
// Exchange of the whole contact list with a semicolon-separated text file: the export
// ("Esporta rubrica per outlook") and the import ("Importa rubrica di outlook") of the
// main window's menu "Scambio Dati".
//
// The main window runs its two file dialogs and hands the confirmed name to EsportaRubrica /
// ImportaRubrica (its SaveDialog1CanClose / OpenDialog1CanClose). The ...SuFile / ...DaFile
// forms do the same work and also return the outcome. Everything is reported through the
// shared message boxes and the default error report.

#include <QString>
#include <functional>

class QWidget;

// Filter of both file dialogs.
inline constexpr const char* kFiltroScambio = "File di testo (csv) (*.csv)";

struct EsitoEsportazione
{
    bool scritto = false; // the file was written
    QString file;         // the file actually written
    int contatti = 0;     // contact lines written
    int sostituiti = 0;   // values holding a character written as "?"
};

struct EsitoImportazione
{
    bool eseguita = false; // the table was changed and the import completed
    bool sostituzione = false;
    int importati = 0;
    int doppioni = 0;
};

struct OpzioniImportazione
{
    // Called with the file line number (from 1) before each record is stored. A hook that
    // raises an error stops the import, which then changes nothing.
    std::function<void(int riga)> primaDiRegistrare;
};

// The dialogs' confirmation handlers: the work on the name the user confirmed.
void EsportaRubrica(const QString& nomeScelto);
void ImportaRubrica(const QString& nomeFile);

// The whole menu commands, for a caller without its own dialogs: run the save / open
// dialog (owned by owner, filter kFiltroScambio) and work on the confirmed name.
// Cancelling the dialog does nothing.
void EsportaRubricaConDialogo(QWidget* owner);
void ImportaRubricaConDialogo(QWidget* owner);

// The export on the name confirmed in the save dialog (".csv" is added when missing).
EsitoEsportazione EsportaRubricaSuFile(const QString& nomeScelto);

// The import of the file confirmed in the open dialog: asks its two questions, then
// replaces or merges in one transaction; any failure leaves the table as it was.
EsitoImportazione ImportaRubricaDaFile(const QString& nomeFile,
                                       const OpzioniImportazione& opzioni = {});
