#pragma once

#include <QString>
#include <QVariantList>

// Product look-up by the product-tree code users type.
namespace Lib00210 {

// The product of a product-tree code CDARVPROD, as an array:
//   [0] NMPRODUTO (name)   [1] NMPRODUTO (name)   [2] CDPRODUTO (product code)
//   [3] CDARVPROD          [4] SGUNIDADE (unit)
// The name stands at 0 and 1 because callers read it at either.  An unknown code gives
// an empty array.  Reads the session's database.
QVariantList Dados_Produto(const QString &productTreeCode);

} // namespace Lib00210
