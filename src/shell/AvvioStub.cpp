// Temporary placeholders until the table engine and alignment land; replaced by them.
#include "shell/Avvio.h"
#include "shell/Traduci.h"

void PreparaTabelle() {}
QString LeggiImpostazione(const QString&)
{
    return QString();
}
QString Traduci(const QString& text, const QString&)
{
    return text;
}
void TraduciForm(QWidget*, const QStringList&, bool) {}
