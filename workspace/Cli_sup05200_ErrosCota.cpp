// The server's validation of quotation items: the row about to be posted is sent to
// ValidaDados, and the inconsistencies the server finds are kept in cdsErrosCota and shown
// for the current product/brand row in lsbErrosCota, one text per failed check.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TMessages.h"

#include <QListWidget>
#include <QStyle>

#include <algorithm>

void TfrmGridCotaPrec::ValidaDados()
{
    vd_OperSistema();
    vd_ProdComprador();
    vd_Fornecedor();
    lsbErrosCota->hide();

    // The row as the server checks it: price, region, supplier, product and brand.
    DataPacket items;
    items.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    items.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    items.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    items.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    items.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    QVariantList row;
    for (const FieldDef &def : items.fields())
        row << cdsGridProdMarc->fieldByName(def.name)->value();
    items.appendRow(row);

    DataPacket errors;
    {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("VdDadItm")));
        errors = m_context->gridCotaPrec().validaDados(
            items, Corvane::FiliProc(), m_context->centralBranch(),
            cdsColetapr->fieldByName(QStringLiteral("DTCOLEPREC"))->asDateTime().date());
    }
    cdsErrosCota->setData(errors);
    if (cdsErrosCota->isEmpty())
        return;
    PreencheErrosCota();
    Consiste::MensErro(msg(QStringLiteral("ErroAtu")));
}

QStringList TfrmGridCotaPrec::errorTexts(const QString &flags) const
{
    // One check per position of IDERRO, first character first.
    const QString texts[] = {msg(QStringLiteral("Marc_NQualif")),  msg(QStringLiteral("N_PrdQfoProdForn")),
                             msg(QStringLiteral("Forn_N_Reg")),    msg(QStringLiteral("Prod_NFilReg")),
                             msg(QStringLiteral("Prod_NFilCor")),  msg(QStringLiteral("PrNCadForn")),
                             msg(QStringLiteral("Marc_NProd")),    msg(QStringLiteral("EAN_NCad"))};
    QStringList out;
    for (int i = 0; i < int(std::size(texts)) && i < flags.size(); ++i) {
        if (flags.at(i).toUpper() == u'S')
            out << texts[i];
    }
    return out;
}

void TfrmGridCotaPrec::PreencheErrosCota()
{
    // Without an answer the list keeps what it shows.
    if (!cdsErrosCota->active() || cdsErrosCota->isEmpty())
        return;
    lsbErrosCota->show();
    lsbErrosCota->clear();
    const QStringList key = currentItemKey();
    if (cdsErrosCota->locate(QStringLiteral("CDREGIAO;CDFORNECED;CDPRODUTO;CDMARCA"),
                             QVariantList{key.at(0), key.at(1), key.at(2), key.at(3)}, LocateOption::CaseInsensitive)) {
        const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
        for (const QString &text : errorTexts(cdsErrosCota->fieldByName(QStringLiteral("IDERRO"))->asString()))
            lsbErrosCota->addItem(new QListWidgetItem(warning, text));
    }
    // As tall as its texts (one line when the row has none, all eight checks at most): the
    // grid above keeps its room and no text hides behind a scroll bar.
    const int lines = std::clamp(lsbErrosCota->count(), 1, 8);
    const int line = std::max(lsbErrosCota->fontMetrics().height(), lsbErrosCota->iconSize().height()) + 4;
    lsbErrosCota->setFixedHeight(lines * line + 2 * lsbErrosCota->frameWidth() + 2);
}
