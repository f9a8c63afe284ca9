// The item observation: read when the dialog opens, stored on confirm over the text it was
// read as.
#include "Cli_sup05219.h"
#include "ui_Cli_sup05219.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DBMemo.h"
#include "DataSource.h"
#include "Field.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TMessages.h"

TfrmGridObsItmCol::TfrmGridObsItmCol(QuotationContext &context, const QStringList &key, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridObsItmCol>())
    , m_context(context)
    , m_key(key)
{
    setObjectName(QStringLiteral("frmGridObsItmCol"));
    setProperty("screenCode", QStringLiteral("SUP05219"));
    msgPadrao->load(QStringLiteral("Cli_sup05219"));
    setWindowTitle(msgPadrao->Msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);
    dbmObsItm = m_ui->dbmObsItm;

    cdsObsItmCol = new ClientDataSet(this);
    cdsObsItmCol->setObjectName(QStringLiteral("cdsObsItmCol"));
    for (const FieldDef &def : Protocol::packetLayout(QStringLiteral("ObsItmCol")))
        cdsObsItmCol->addFieldDef(def.name, def.type, def.size, def.required);
    dtsObsItmCol = new DataSource(this);
    dtsObsItmCol->setObjectName(QStringLiteral("dtsObsItmCol"));
    dtsObsItmCol->setDataSet(cdsObsItmCol);
    dbmObsItm->setDataSource(dtsObsItmCol);
    dbmObsItm->setDataField(QStringLiteral("DSOBSITMCOL"));
    dbmObsItm->setMaxLength(kMaxLength);
    dbmObsItm->setMinimumSize(360, 150);
    setFocusProxy(dbmObsItm);
}

TfrmGridObsItmCol::~TfrmGridObsItmCol() = default;

void TfrmGridObsItmCol::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    update();
}

QString TfrmGridObsItmCol::observation() const
{
    const Field *text = cdsObsItmCol->findField(QStringLiteral("DSOBSITMCOL"));
    return cdsObsItmCol->active() && !cdsObsItmCol->isEmpty() && text ? text->asString() : QString();
}

QuotationItemKey TfrmGridObsItmCol::itemKey() const
{
    return {m_key.value(0), m_key.value(1), m_key.value(2), m_key.value(3), m_key.value(4), m_key.value(5)};
}

void TfrmGridObsItmCol::load()
{
    cdsObsItmCol->setData(m_context.gridCotaPrec().getObsItmCol(itemKey()));
    m_loaded = observation();
}

void TfrmGridObsItmCol::sbtConfirmarClick()
{
    if (cdsObsItmCol->state() == DataSetState::Edit || cdsObsItmCol->state() == DataSetState::Insert)
        cdsObsItmCol->post();
    const QString text = observation();
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Storing);
        m_context.gridCotaPrec().setObsItmCol(itemKey(), text, m_loaded);
    }
    m_loaded = text;
    accept();
}

void CriaObsItmCol(QuotationContext &context, const QString &CDFILIAL, const QString &NRCOLEPRECO,
                   const QString &CDREGIAO, const QString &CDFORNECED, const QString &CDPRODUTO,
                   const QString &CDMARCA, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmGridObsItmCol dialog(context, {CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA}, parent);
    dialog.load();
    dialog.exec();
}
