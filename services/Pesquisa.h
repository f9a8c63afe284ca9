#pragma once

#include <QString>
#include <QStringList>

class ClientDataSet;
class DataSource;

// The single-choice search over the rows of a data source.
namespace Pesquisa {

// Lets the user choose one row of source.  The title may carry, after a '|', the text
// shown (as information) when the source has no rows.  The chosen row becomes the current
// record; returns its key (the value of keyField, or of the first field when keyField is
// empty), or an empty text when nothing was chosen.  The last two arguments are kept for
// the forms' calls and have no effect.
QString Pesquisar(DataSource *source, const QString &title, bool unused1 = false, bool unused2 = true,
                  const QString &keyField = {});

// Lets the user find a row of an open dataset and makes it current; true when found.
bool Procura(ClientDataSet *dataSet);

// Splits "Title|Text when empty" into its two parts.
void splitTitle(const QString &title, QString *caption, QString *emptyText);

} // namespace Pesquisa

// The multiple-choice search: the user marks rows of a source.
namespace Pesqlista {

// Marked rows are written into list as "_" + key + "_" entries, in row order
// ("_001__007_"); keys already in the list on entry come marked.  The title may carry,
// after a '|', the text shown when the source has no rows (then list is left as it was).
// Returns true when the user confirmed (list replaced), false when cancelled or empty.
bool PesquisaLista(DataSource *source, const QString &keyField, const QString &title, bool unused,
                   QString &list);

// The keys of a list string, and the list string of keys.
QStringList keysOfList(const QString &list);
QString listOfKeys(const QStringList &keys);

} // namespace Pesqlista
