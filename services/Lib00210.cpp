#include "Lib00210.h"

#include "TADOIBQuery.h"

namespace Lib00210 {

QVariantList Dados_Produto(const QString &productTreeCode)
{
    TADOIBQuery query(QStringLiteral("produto_dados"));
    query.ParamByName(QStringLiteral("P_CDARVPROD")).setAsString(productTreeCode.trimmed());
    query.Open();
    if (query.IsEmpty())
        return {};
    const QString name = query.FieldByName(QStringLiteral("NMPRODUTO"))->asString();
    return {name, name, query.FieldByName(QStringLiteral("CDPRODUTO"))->asString(),
            query.FieldByName(QStringLiteral("CDARVPROD"))->asString(),
            query.FieldByName(QStringLiteral("SGUNIDADE"))->asString()};
}

} // namespace Lib00210
