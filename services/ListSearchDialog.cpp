#include "ListSearchDialog.h"

#include "DataSource.h"
#include "TMessages.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The dataset's own mark column is replaced by the dialog's.
const QString kMarkField = QStringLiteral("IDMARCADO");
}

ListSearchDialog::ListSearchDialog(DataSource *source, const QString &keyField, const QString &title,
                                   const QStringList &marked, QWidget *parent)
    : QDialog(parent), m_model(new QStandardItemModel(this)), m_view(new QTableView(this))
{
    TMessages &msg = TMessages::padrao();
    setObjectName(QStringLiteral("frmPesquisaLista"));
    setWindowTitle(title.isEmpty() ? msg.Msg(QStringLiteral("Pesquisa")) : title);

    ClientDataSet *ds = source ? source->dataSet() : nullptr;
    QList<Field *> shown;
    Field *key = nullptr;
    if (ds && ds->active()) {
        key = keyField.isEmpty() ? ds->field(0) : ds->findField(keyField);
        for (Field *f : ds->fields()) {
            if (f->visible() && f->fieldName().compare(kMarkField, Qt::CaseInsensitive) != 0)
                shown << f;
        }
    }
    QStringList headers{msg.Msg(QStringLiteral("Pesquisa_Marcar"))};
    for (Field *f : shown)
        headers << f->displayLabel();
    m_model->setHorizontalHeaderLabels(headers);

    const int rows = ds && ds->active() ? ds->recordCount() : 0;
    for (int r = 0; r < rows; ++r) {
        const QString k = key ? ds->valueAt(r, key->index()).toString() : QString();
        m_keys << k;
        QList<QStandardItem *> items;
        auto *mark = new QStandardItem;
        mark->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        mark->setCheckState(marked.contains(k) ? Qt::Checked : Qt::Unchecked);
        items << mark;
        for (Field *f : shown) {
            auto *item = new QStandardItem(ds->valueAt(r, f->index()).toString());
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            items << item;
        }
        m_model->appendRow(items);
    }

    m_view->setObjectName(QStringLiteral("grdPesquisaLista"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->installEventFilter(this);
    if (rows > 0)
        m_view->setCurrentIndex(m_model->index(0, 0));

    auto *all = new QPushButton(msg.Msg(QStringLiteral("Pesquisa_Todos")), this);
    auto *none = new QPushButton(msg.Msg(QStringLiteral("Pesquisa_Nenhum")), this);
    all->setAutoDefault(false);
    none->setAutoDefault(false);
    connect(all, &QPushButton::clicked, this, [this] { setAllMarked(true); });
    connect(none, &QPushButton::clicked, this, [this] { setAllMarked(false); });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(msg.Msg(QStringLiteral("Pesquisa_Ok")), QDialogButtonBox::AcceptRole);
    buttons->addButton(msg.Msg(QStringLiteral("Pesquisa_Cancelar")), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(all);
    bottom->addWidget(none);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(bottom);
    resize(600, 400);
    m_view->setFocus();
}

QStringList ListSearchDialog::markedKeys() const
{
    QStringList keys;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->item(r, 0)->checkState() == Qt::Checked)
            keys << m_keys.at(r);
    }
    return keys;
}

void ListSearchDialog::setAllMarked(bool marked)
{
    for (int r = 0; r < m_model->rowCount(); ++r)
        m_model->item(r, 0)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

void ListSearchDialog::toggleRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    QStandardItem *mark = m_model->item(row, 0);
    mark->setCheckState(mark->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool ListSearchDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space) {
            toggleRow(m_view->currentIndex().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
