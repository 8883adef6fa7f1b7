#pragma once
// Shared services used by every window. They hold no state.

#include <QChar>
#include <QString>

// Message boxes, with no owner window.
void MostraMessaggio(const QString& text);    // "Messaggio.", information, OK
void MostraAttenzione(const QString& text);   // "Attenzione.", warning, OK
void MostraErrore(const QString& text);       // "Errore", error, OK
bool ChiediConferma(const QString& question); // "Richiesta.", question, Yes/No

// The mailto text exactly as composed: "mailto:" address "?subject=" subject "&body=" body.
QString ComponiMail(const QString& address, const QString& subject, const QString& body);
// Hands a new mail to the desktop's mail program; every part arrives intact.
void InviaMail(const QString& address, const QString& subject, const QString& body);
// Hands a file path or web address to the desktop's default action.
void ApriDocumento(const QString& target);

// The application folder, ending with the path separator.
QString PercorsoProgramma();

// Runs a command line and waits for it without limit; returns the signed exit status.
// Raises zr::Error ("Error during CreateProcess", ...) on failure.
int EseguiEAttendi(const QString& commandLine);

QString Destra(const QString& text, int count);
QString Sinistra(const QString& text, int count);
QString GiornoOggi();
QString MeseOggi();
QString AnnoOggi();
QChar UltimoCarattere(const QString& text);

// Byte copy that keeps the time (two seconds) and the read-only attribute. Fails on equal
// paths, a missing or locked source, a target that cannot be created or fully written.
bool CopiaFile(const QString& source, const QString& target);
