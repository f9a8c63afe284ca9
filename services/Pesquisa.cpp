#include "Pesquisa.h"

#include "DataSource.h"
#include "TMessages.h"
#include "UserInterface.h"

namespace Pesquisa {

void splitTitle(const QString &title, QString *caption, QString *emptyText)
{
    const qsizetype bar = title.indexOf(u'|');
    *caption = bar < 0 ? title : title.left(bar);
    *emptyText = bar < 0 ? QString() : title.mid(bar + 1);
}

QString Pesquisar(DataSource *source, const QString &title, bool, bool, const QString &keyField)
{
    ClientDataSet *ds = source ? source->dataSet() : nullptr;
    if (!ds || !ds->active())
        return {};
    QString caption, emptyText;
    splitTitle(title, &caption, &emptyText);
    if (ds->isEmpty()) {
        if (!emptyText.isEmpty())
            ui()->showMessage(emptyText, MsgDlg::mtInformation, MsgDlg::mbOK);
        return {};
    }
    const int row = ui()->search(source, caption);
    if (row < 0 || row >= ds->recordCount())
        return {};
    ds->setRecNo(row + 1);
    Field *key = keyField.isEmpty() ? ds->field(0) : ds->fieldByName(keyField);
    return key ? key->asString() : QString();
}

bool Procura(ClientDataSet *dataSet)
{
    if (!dataSet || !dataSet->active() || dataSet->isEmpty())
        return false;
    DataSource source;
    source.setDataSet(dataSet);
    const int row = ui()->search(&source, TMessages::padrao().Msg(QStringLiteral("Procura")));
    if (row < 0 || row >= dataSet->recordCount())
        return false;
    dataSet->setRecNo(row + 1);
    return true;
}

} // namespace Pesquisa

namespace Pesqlista {

QStringList keysOfList(const QString &list)
{
    // "_001__007_" -> "001", "007"; an entry is the text between a '_' that opens it and
    // the '_' that closes it.
    QStringList keys;
    qsizetype i = 0;
    while (i < list.size()) {
        if (list.at(i) != u'_') {
            ++i;
            continue;
        }
        const qsizetype close = list.indexOf(u'_', i + 1);
        if (close < 0)
            break;
        keys << list.mid(i + 1, close - i - 1);
        i = close + 1;
    }
    return keys;
}

QString listOfKeys(const QStringList &keys)
{
    QString list;
    for (const QString &key : keys)
        list += u'_' + key + u'_';
    return list;
}

bool PesquisaLista(DataSource *source, const QString &keyField, const QString &title, bool, QString &list)
{
    ClientDataSet *ds = source ? source->dataSet() : nullptr;
    if (!ds || !ds->active())
        return false;
    QString caption, emptyText;
    Pesquisa::splitTitle(title, &caption, &emptyText);
    if (ds->isEmpty()) {
        if (!emptyText.isEmpty())
            ui()->showMessage(emptyText, MsgDlg::mtInformation, MsgDlg::mbOK);
        return false;
    }
    const std::optional<QStringList> marked = ui()->listSearch(source, keyField, caption, keysOfList(list));
    if (!marked)
        return false;
    list = listOfKeys(*marked);
    return true;
}

} // namespace Pesqlista
