#include "SearchDialog.h"

#include "DataSetModel.h"
#include "TMessages.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

SearchDialog::SearchDialog(DataSource *source, const QString &title, QWidget *parent)
    : QDialog(parent),
      m_model(new DataSetModel(source, this)),
      m_proxy(new QSortFilterProxyModel(this)),
      m_filter(new QLineEdit(this)),
      m_view(new QTableView(this))
{
    TMessages &msg = TMessages::padrao();
    setObjectName(QStringLiteral("frmPesquisa"));
    setWindowTitle(title.isEmpty() ? msg.Msg(QStringLiteral("Pesquisa")) : title);

    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_filter->setObjectName(QStringLiteral("edtFiltro"));
    m_view->setObjectName(QStringLiteral("grdPesquisa"));
    m_view->setModel(m_proxy);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(msg.Msg(QStringLiteral("Pesquisa_Ok")), QDialogButtonBox::AcceptRole);
    buttons->addButton(msg.Msg(QStringLiteral("Pesquisa_Cancelar")), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(msg.Msg(QStringLiteral("Pesquisa_Filtro")), this);
    label->setBuddy(m_filter);
    layout->addWidget(label);
    layout->addWidget(m_filter);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    resize(600, 400);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_proxy->setFilterFixedString(text);
        if (!m_view->currentIndex().isValid() && m_proxy->rowCount() > 0)
            m_view->setCurrentIndex(m_proxy->index(0, 0));
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, &QDialog::accept);

    const ClientDataSet *ds = source ? source->dataSet() : nullptr;
    const int start = ds ? std::max(0, ds->currentRow()) : 0;
    if (m_proxy->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->mapFromSource(m_model->index(std::min(start, m_model->rowCount() - 1), 0)));
    m_view->setFocus();
}

int SearchDialog::chosenRow() const
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return -1;
    return m_proxy->mapToSource(current).row();
}
