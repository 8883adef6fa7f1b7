#pragma once
// Settings (impostazioni.db) and translation (lingua.db) of window texts.

#include <QString>
#include <QStringList>

class QWidget;

// Value of a field of the settings table's first record; "" and an error box on failure.
QString LeggiImpostazione(const QString& field);

// Translation of an Italian text into a language (a column of lingua.db).
QString Traduci(const QString& text, const QString& language);

// Translates a window's fixed texts. controls: object names in order; the window's own
// objectName stands for the window caption. splash: true for the splash window (stops on
// an empty language).
void TraduciForm(QWidget* window, const QStringList& controls, bool splash = false);
