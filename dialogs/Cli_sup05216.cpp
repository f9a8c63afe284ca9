// The inclusion error list: the refusal, and the detailed reasons on request.
#include "Cli_sup05216.h"
#include "ui_Cli_sup05216.h"

#include "Consiste.h"
#include "Corvane.h"
#include "TMessages.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 310;
constexpr int kHeight = 90;
constexpr int kHeightWithDetails = 218;

} // namespace

TfrmGridErrInsCota::TfrmGridErrInsCota(const QString &text, Details details, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridErrInsCota>())
    , m_details(std::move(details))
{
    setObjectName(QStringLiteral("frmGridErrInsCota"));
    setProperty("screenCode", QStringLiteral("SUP05216"));
    msgPadrao->load(QStringLiteral("Cli_sup05216"));
    setWindowTitle(msgPadrao->Msg(QStringLiteral("Titulo")));
    // Fixed single border with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    // The client area is the whole dialog: no button bar, no margins.
    panBotoes->hide();
    layout()->setContentsMargins(0, 0, 0, 0);
    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    content->setMinimumSize(kWidth, kHeightWithDetails);
    panClientLayout->addWidget(content);
    panClientLayout->setAlignment(content, Qt::AlignTop | Qt::AlignLeft);

    imgErroOri = m_ui->imgErroOri;
    lblErro = m_ui->lblErro;
    btnDetalhes = m_ui->btnDetalhes;
    btnOk = m_ui->btnOk;
    memErro = m_ui->memErro;

    imgErroOri->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    btnDetalhes->setText(msgPadrao->Msg(QStringLiteral("Cap_Detalhes")));
    btnOk->setText(msgPadrao->Msg(QStringLiteral("Cap_Ok")));
    memErro->setBackgroundRole(QPalette::Button);
    QPalette face = memErro->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    memErro->setPalette(face);
    lblErro->setText(text);

    connect(btnDetalhes, &QPushButton::clicked, this, Consiste::guarded([this] { btnDetalhesClick(); }));
    connect(btnOk, &QPushButton::clicked, this, Consiste::guarded([this] { btnOkClick(); }));
    setFixedSize(kWidth, kHeight);
}

TfrmGridErrInsCota::~TfrmGridErrInsCota() = default;

void TfrmGridErrInsCota::btnDetalhesClick()
{
    QString details = m_details ? m_details() : QString();
    if (Consiste::EmptyString(details))
        details = lblErro->text();
    memErro->setPlainText(details);
    setFixedSize(kWidth, kHeightWithDetails);
    btnDetalhes->setEnabled(false);
}

void TfrmGridErrInsCota::btnOkClick()
{
    accept();
    if (parentWidget())
        parentWidget()->update();
}

void CriaErroInclusao(const QString &text, const TfrmGridErrInsCota::Details &details, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmGridErrInsCota dialog(text, details, parent);
    dialog.exec();
}
