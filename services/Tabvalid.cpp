#include "Tabvalid.h"

#include "Consiste.h"
#include "DataSource.h"
#include "TMessages.h"

namespace Tabvalid {

bool ValidEx(DataSource *source, int pictureType, QString &code, bool raise, const QString &keyField)
{
    ClientDataSet *ds = source ? source->dataSet() : nullptr;
    Field *key = nullptr;
    if (ds && ds->active() && ds->fieldCount() > 0) {
        if (!keyField.isEmpty())
            key = ds->fieldByName(keyField);
        else if (pictureType == 0 && ds->findField(QStringLiteral("CDARVPROD")))
            key = ds->findField(QStringLiteral("CDARVPROD"));
        else
            key = ds->field(0);
    }
    if (key) {
        QStringList candidates{code.trimmed()};
        if (key->size() > 0) {
            const QString adjusted = Consiste::Ajusta(code, key->size());
            if (adjusted != candidates.first())
                candidates << adjusted;
        }
        for (const QString &candidate : candidates) {
            if (!candidate.isEmpty()
                && ds->locate(key->fieldName(), candidate, LocateOption::CaseInsensitive)) {
                code = key->asString();
                return true;
            }
        }
    }
    if (raise)
        Consiste::MensErro(TMessages::padrao().Msg(QStringLiteral("Codigo_N_Cad")), true);
    return false;
}

} // namespace Tabvalid
