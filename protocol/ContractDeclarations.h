#pragma once

#include "ProtocolContract.h"

#include <QHash>

// The declarations the contract is made of, one file per server object and one for the
// packet layouts.  Read through ProtocolContract.h, never directly.
namespace Protocol {

QList<MethodContract> suprimentosMethods();   // "Sup.rdmSuprimentos"
QList<MethodContract> gridCotaPrecMethods();  // "Sup05200.rdmGridCotaPrec"
QHash<QString, QList<FieldDef>> packetLayouts();

} // namespace Protocol
