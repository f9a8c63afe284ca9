// The find-cell dialog: the search over the sheet's row headers and its resets.
#include "Cli_sup05217.h"

#include "Consiste.h"
#include "Corvane.h"
#include "DecisionGrid.h"
#include "Lib00210.h"
#include "MaskEdit.h"
#include "SheetKeys.h"
#include "SupResources.h"
#include "TMessages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QToolButton>

namespace {

constexpr int kFieldCode = 0;
constexpr int kFieldName = 1;
constexpr int kMatched = 99;

} // namespace

TfrmGridProcuraCell::TfrmGridProcuraCell(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(QStringLiteral("frmGridProcuraCell"));
    setProperty("screenCode", QStringLiteral("SUP05217"));
    supInitResources();
    msgPadrao->load(QStringLiteral("Cli_sup05217"));
    setWindowTitle(msg(QStringLiteral("Titulo")));
    sbtConfirmar->setText(msg(QStringLiteral("Cap_Procurar")));

    auto *form = new QFormLayout;
    cbbCampo = new QComboBox(panClient);
    cbbCampo->setObjectName(QStringLiteral("cbbCampo"));
    cbbCampo->addItems({msg(QStringLiteral("Cmp_Codigo")), msg(QStringLiteral("Cmp_Nome"))});
    cbbCampo->setCurrentIndex(kFieldName);
    form->addRow(msg(QStringLiteral("Lbl_Campo")), cbbCampo);
    medConteudo = new MaskEdit(panClient);
    medConteudo->setObjectName(QStringLiteral("medConteudo"));
    medConteudo->setMaxLength(100);
    medConteudo->setMinimumWidth(260);
    form->addRow(msg(QStringLiteral("Lbl_Conteudo")), medConteudo);
    panClientLayout->addLayout(form);

    grbTipo = new QGroupBox(msg(QStringLiteral("grbTipo")), panClient);
    grbTipo->setObjectName(QStringLiteral("grbTipo"));
    auto *types = new QHBoxLayout(grbTipo);
    rbtIdentico = new QRadioButton(msg(QStringLiteral("rbtIdentico")), grbTipo);
    rbtIdentico->setObjectName(QStringLiteral("rbtIdentico"));
    rbtPrefixo = new QRadioButton(msg(QStringLiteral("rbtPrefixo")), grbTipo);
    rbtPrefixo->setObjectName(QStringLiteral("rbtPrefixo"));
    rbtParte = new QRadioButton(msg(QStringLiteral("rbtParte")), grbTipo);
    rbtParte->setObjectName(QStringLiteral("rbtParte"));
    for (QRadioButton *b : {rbtIdentico, rbtPrefixo, rbtParte}) {
        types->addWidget(b);
        connect(b, &QRadioButton::clicked, this, [this] { reset(); });
    }
    rbtPrefixo->setChecked(true);
    panClientLayout->addWidget(grbTipo);

    connect(cbbCampo, &QComboBox::currentIndexChanged, this, Consiste::guarded([this] { cbbCampoChange(); }));
    connect(medConteudo, &MaskEdit::changed, this, [this] { reset(); });
    // medConteudoKeyPress: every typed letter in upper case.
    connect(medConteudo, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int at = medConteudo->cursorPosition();
            medConteudo->QLineEdit::setText(upper);
            medConteudo->setCursorPosition(at);
        }
    });
    setTabOrder(medConteudo, cbbCampo);
    medConteudo->setFocus();
}

QString TfrmGridProcuraCell::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridProcuraCell::setGrid(DecisionGrid *grid, int column, bool boCota)
{
    m_grid = grid;
    m_column = column;
    m_boCota = boCota;
}

void TfrmGridProcuraCell::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmGridProcuraCell::FormActivate()
{
    update();
    cbbCampoChange();
    medConteudo->setFocus();
}

void TfrmGridProcuraCell::reset()
{
    m_inRow = 0;
    medConteudo->setProperty("tag", 0);
}

void TfrmGridProcuraCell::cbbCampoChange()
{
    medConteudo->setEditMask(cbbCampo->currentIndex() == kFieldCode ? Corvane::DBPict(0) : QString());
    reset();
}

QString TfrmGridProcuraCell::fieldOf(const QString &header) const
{
    if (!m_boCota)
        return header;
    const SheetKeys::ProductParts parts = SheetKeys::productParts(header);
    return cbbCampo->currentIndex() == kFieldCode ? parts.productCode : parts.productName;
}

bool TfrmGridProcuraCell::LocateCell(const QString &text, const QString &mode, DecisionGrid *grid, int column,
                                     int startRow)
{
    if (!grid)
        return false;
    const int lastRow = grid->rowCount() - grid->fixedRows() - 1;
    if (startRow > lastRow)
        return false;
    const QString wanted = text.toUpper();
    for (int row = qMax(0, startRow); row <= lastRow; ++row) {
        const QString field = fieldOf(grid->cellValue(column, row)).toUpper();
        const bool match = mode == QLatin1String("1")   ? field == wanted
                           : mode == QLatin1String("2") ? field.startsWith(wanted)
                                                        : field.contains(wanted);
        if (match) {
            grid->gotoCell(0, row);
            m_inRow = row + 1;
            medConteudo->setProperty("tag", kMatched);
            return true;
        }
    }
    return false;
}

void TfrmGridProcuraCell::sbtConfirmarClick()
{
    try {
        if (Consiste::EmptyString(medConteudo->text())) {
            msgPadrao->ShowMsg(QStringLiteral("Text_NInf"), MsgDlg::mtInformation, MsgDlg::mbOK);
            return;
        }
        QString text = medConteudo->text();
        if (cbbCampo->currentIndex() == kFieldCode) {
            // The typed tree code stands for its product code.
            text = Lib00210::Dados_Produto(medConteudo->text()).value(2).toString();
            if (text.isEmpty())
                text = medConteudo->text();
        }
        struct Mode
        {
            QRadioButton *button;
            const char *mode;
            const char *notFound;
        };
        for (const Mode &m : {Mode{rbtIdentico, "1", "Text_Idem"}, Mode{rbtPrefixo, "2", "N_Prefixo"},
                              Mode{rbtParte, "3", "N_Parte"}}) {
            if (!m.button->isChecked())
                continue;
            if (!LocateCell(text, QLatin1String(m.mode), m_grid, m_column, m_inRow)
                && medConteudo->property("tag").toInt() != kMatched)
                msgPadrao->ShowMsg(QLatin1String(m.notFound), MsgDlg::mtInformation, MsgDlg::mbOK);
        }
    } catch (...) {
        medConteudo->setFocus();
        throw;
    }
}

void ProcurarCell(DecisionGrid *grid, int column, bool boCota, QWidget *owner)
{
    TfrmGridProcuraCell dialog(owner);
    dialog.setGrid(grid, column, boCota);
    dialog.exec();
}
