#include "TBtnPesquisa.h"

#include "Consiste.h"
#include "DataSource.h"
#include "Pesquisa.h"

TBtnPesquisa::TBtnPesquisa(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    connect(this, &QToolButton::clicked, this, [this] { Consiste::runGuarded([this] { pesquisar(); }); });
}

bool TBtnPesquisa::pesquisar()
{
    m_key.clear();
    if (BeforePesq)
        BeforePesq(*this);
    m_key = Pesquisa::Pesquisar(m_source, m_title, false, true, m_keyField);
    if (m_key.isEmpty())
        return false;
    if (AfterPesq)
        AfterPesq(*this);
    return true;
}
