#include "PriceSimulation.h"

#include "HostMessages.h"
#include "ModuleConnection.h"
#include "ModuleParams.h"
#include "PriceSimulationModel.h"

#include "Consiste.h"
#include "NumberFormat.h"
#include "TMessages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kModule = QStringLiteral("SUP01802");

QString text(const char *key)
{
    return hostMessages().Msg(QLatin1String(key));
}

QString money(double value)
{
    return NumberFormat::format(value, QStringLiteral("#,##0.00"));
}

} // namespace

ModuleParams PriceSimulation::check(const QVariantList &params)
{
    ModuleParams p(kModule, params, kParamCount);
    for (int i = 0; i <= 6; ++i)
        p.filledText(i);
    p.exactly(7, QStringLiteral(" "));
    return p;
}

PriceSimulation::PriceSimulation(const QVariantList &params, QWidget *parent)
    : QWidget(parent)
    , m_params(params)
    , m_connection(std::make_unique<ModuleConnection>())
{
    check(params).raiseIfInvalid();
    setObjectName(QStringLiteral("frm") + kModule);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 - %2").arg(text("SUP01802"), kModule));

    auto *layout = new QVBoxLayout(this);
    lblCotacao = new QLabel(this);
    lblCotacao->setObjectName(QStringLiteral("lblCotacao"));
    QFont bold = lblCotacao->font();
    bold.setBold(true);
    lblCotacao->setFont(bold);
    layout->addWidget(lblCotacao);

    m_model = new PriceSimulationModel(this);
    tblSimulacao = new QTableView(this);
    tblSimulacao->setObjectName(QStringLiteral("tblSimulacao"));
    tblSimulacao->setModel(m_model);
    tblSimulacao->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblSimulacao->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblSimulacao->verticalHeader()->hide();
    tblSimulacao->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tblSimulacao, 1);

    lblResumo = new QLabel(this);
    lblResumo->setObjectName(QStringLiteral("lblResumo"));
    lblResumo->setWordWrap(true);
    layout->addWidget(lblResumo);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sbtAtualizar = new QToolButton(this);
    sbtAtualizar->setObjectName(QStringLiteral("sbtAtualizar"));
    sbtAtualizar->setText(text("Sim_Atualizar"));
    sbtFechar = new QToolButton(this);
    sbtFechar->setObjectName(QStringLiteral("sbtFechar"));
    sbtFechar->setText(text("Sim_Fechar"));
    buttons->addWidget(sbtAtualizar);
    buttons->addWidget(sbtFechar);
    layout->addLayout(buttons);
    connect(sbtAtualizar, &QToolButton::clicked, this, Consiste::guarded([this] { reload(); }));
    connect(sbtFechar, &QToolButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            close();
    });

    reload();
    resize(sizeHint());
}

PriceSimulation::~PriceSimulation() = default;

void PriceSimulation::reload()
{
    const QString number = m_params.value(1).toString();
    const QString product = m_params.value(4).toString().trimmed();
    m_model->setPacket(m_connection->gridCotaPrec().getSimulacaoItem(
        m_params.value(0).toString(), number, m_params.value(2).toString(), m_params.value(3).toString(),
        m_params.value(5).toString(), m_params.value(6).toString()));
    lblCotacao->setText(text("Sim_Cotacao").arg(number.trimmed(), product, m_model->productName()));
    tblSimulacao->resizeColumnsToContents();
    // The current item's row in view and selected.
    for (int row = 1; row < m_model->rowCount(); ++row) {
        if (m_model->index(row, 0).data(PriceSimulationModel::CurrentItemRole).toBool()) {
            tblSimulacao->selectRow(row);
            break;
        }
    }
    showSummary();
}

void PriceSimulation::showSummary()
{
    if (m_model->rowCount() == 0) {
        lblResumo->setText(text("Sim_SemItens"));
        return;
    }
    const QString split = money(m_model->bestSplitTotal());
    if (const std::optional<int> row = m_model->cheapestRow()) {
        auto cell = [this, row](int column) { return m_model->index(*row, column).data().toString(); };
        lblResumo->setText(text("Sim_Resumo").arg(cell(PriceSimulationModel::SupplierColumn),
                                                  cell(PriceSimulationModel::BrandColumn),
                                                  money(m_model->index(*row, m_model->totalColumn())
                                                            .data(PriceSimulationModel::ValueRole)
                                                            .toDouble()),
                                                  split));
    } else {
        lblResumo->setText(text("Sim_SemEscolha").arg(split));
    }
}
