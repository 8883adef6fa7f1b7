#include "shell/Avvio.h"

#include "contacts/Rubrica.h"
#include "export/CreaTabelleGenerali.h"
#include "shell/Allinea.h"
#include "shell/Fx.h"

void PreparaTabelle()
{
    // The template table's failure is not handled here: it ends the preparation.
    CreaTabellaModelli();

    try {
        engine::Table rubrica(QString::fromLatin1(kTabellaRubrica));
        rubrica.close();
        rubrica.fieldDefs.clear();
        rubrica.indexDefs.clear();
        DichiaraCampiRubrica(rubrica);
        AllineaTabella(rubrica);
    } catch (const std::exception&) {
        MostraErrore(QStringLiteral("Fallito tentativo di creazione dell'archivio principale!"));
    }
}
