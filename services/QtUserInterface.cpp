#include "QtUserInterface.h"

#include "Corvane.h"
#include "ListSearchDialog.h"
#include "PasswordDialog.h"
#include "ProgressOverlay.h"
#include "SearchDialog.h"
#include "TMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QWidget *dialogParent()
{
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
}

QMessageBox::Icon iconOf(MsgDlg::Type type)
{
    switch (type) {
    case MsgDlg::mtWarning: return QMessageBox::Warning;
    case MsgDlg::mtError: return QMessageBox::Critical;
    case MsgDlg::mtInformation: return QMessageBox::Information;
    case MsgDlg::mtConfirmation: return QMessageBox::Question;
    case MsgDlg::mtCustom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QString titleOf(MsgDlg::Type type)
{
    TMessages &msg = TMessages::padrao();
    switch (type) {
    case MsgDlg::mtWarning: return msg.Msg(QStringLiteral("Titulo_Aviso"));
    case MsgDlg::mtError: return msg.Msg(QStringLiteral("Titulo_Erro"));
    case MsgDlg::mtInformation: return msg.Msg(QStringLiteral("Titulo_Informacao"));
    case MsgDlg::mtConfirmation: return msg.Msg(QStringLiteral("Titulo_Confirmacao"));
    case MsgDlg::mtCustom: break;
    }
    return QGuiApplication::applicationDisplayName();
}

} // namespace

QtUserInterface::QtUserInterface() = default;

QtUserInterface::~QtUserInterface()
{
    delete m_overlay.data();
}

void QtUserInterface::showError(const QString &text)
{
    showMessage(text, MsgDlg::mtError, MsgDlg::mbOK);
}

int QtUserInterface::showMessage(const QString &text, MsgDlg::Type type, MsgDlg::Buttons buttons)
{
    struct ButtonDef { MsgDlg::Button button; const char *key; QMessageBox::ButtonRole role; int result; };
    static const ButtonDef defs[] = {
        {MsgDlg::mbYes, "Sim", QMessageBox::YesRole, MsgDlg::mrYes},
        {MsgDlg::mbNo, "Nao", QMessageBox::NoRole, MsgDlg::mrNo},
        {MsgDlg::mbOK, "Ok", QMessageBox::AcceptRole, MsgDlg::mrOk},
        {MsgDlg::mbCancel, "Cancelar", QMessageBox::RejectRole, MsgDlg::mrCancel},
        {MsgDlg::mbAbort, "Abortar", QMessageBox::RejectRole, MsgDlg::mrAbort},
        {MsgDlg::mbRetry, "Repetir", QMessageBox::AcceptRole, MsgDlg::mrRetry},
        {MsgDlg::mbIgnore, "Ignorar", QMessageBox::AcceptRole, MsgDlg::mrIgnore},
    };
    if (!buttons)
        buttons = MsgDlg::mbOK;

    QMessageBox box(iconOf(type), titleOf(type), text, QMessageBox::NoButton, dialogParent());
    QHash<QAbstractButton *, int> results;
    int escapeResult = MsgDlg::mrCancel;
    for (const ButtonDef &d : defs) {
        if (!buttons.testFlag(d.button))
            continue;
        QPushButton *b = box.addButton(TMessages::padrao().Msg(QString::fromLatin1(d.key)), d.role);
        results.insert(b, d.result);
        if (results.size() == 1)
            box.setDefaultButton(b);
        // Escape answers No or Cancel, or the only button there is.
        if (d.result == MsgDlg::mrNo || d.result == MsgDlg::mrCancel || buttons == MsgDlg::Buttons(d.button)) {
            box.setEscapeButton(b);
            escapeResult = d.result;
        }
    }
    box.exec();
    return results.value(box.clickedButton(), escapeResult);
}

int QtUserInterface::alert(const QString &text, MsgDlg::Type type, const QStringList &captions)
{
    QMessageBox box(iconOf(type), titleOf(type), text, QMessageBox::NoButton, dialogParent());
    QList<QAbstractButton *> buttons;
    for (const QString &caption : captions.mid(0, 3))
        buttons << box.addButton(caption, QMessageBox::AcceptRole);
    if (buttons.isEmpty())
        buttons << box.addButton(TMessages::padrao().Msg(QStringLiteral("Ok")), QMessageBox::AcceptRole);
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box.exec();
    const int index = int(buttons.indexOf(box.clickedButton()));
    return index < 0 ? MsgDlg::mrCancel : MsgDlg::mrCaption1 + index;
}

int QtUserInterface::search(DataSource *source, const QString &title)
{
    SearchDialog dialog(source, title, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.chosenRow();
}

std::optional<QStringList> QtUserInterface::listSearch(DataSource *source, const QString &keyField,
                                                       const QString &title, const QStringList &marked)
{
    ListSearchDialog dialog(source, keyField, title, marked, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.markedKeys();
}

std::optional<QString> QtUserInterface::askPassword(const QString &operatorCode, const QString &title,
                                                    const QString &label)
{
    PasswordDialog dialog(operatorCode, title, label, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

void QtUserInterface::progressStart(QWidget *mainForm, int kind, const QString &text)
{
    if (!mainForm)
        mainForm = Corvane::mainWindow() ? Corvane::mainWindow() : QApplication::activeWindow();
    if (m_overlay && m_overlay->parentWidget() != mainForm) {
        delete m_overlay.data();
        m_overlay = nullptr;
    }
    if (!m_overlay)
        m_overlay = new ProgressOverlay(mainForm);
    m_overlay->start(kind, text);
}

void QtUserInterface::progressStop()
{
    if (m_overlay)
        m_overlay->stop();
}

void QtUserInterface::previewDocument(const QString &title, const DocumentPainter &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(title);
    QPrintPreviewDialog preview(&printer, dialogParent());
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter *target) {
        paint(*target);
    });
    preview.resize(900, 700);
    preview.exec();
}

bool QtUserInterface::printDocument(const QString &title, const DocumentPainter &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(title);
    QPrintDialog dialog(&printer, dialogParent());
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return paint(printer) > 0;
}

std::optional<QString> QtUserInterface::askSaveFileName(const QString &title, const QString &suggested,
                                                        const QString &filter)
{
    const QString name = QFileDialog::getSaveFileName(dialogParent(), title, suggested, filter);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtUserInterface::askFolder(const QString &title, const QString &start)
{
    const QString folder = QFileDialog::getExistingDirectory(dialogParent(), title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QStringList> QtUserInterface::askOpenFileNames(const QString &title, const QString &start,
                                                             const QString &filter)
{
    const QStringList names = QFileDialog::getOpenFileNames(dialogParent(), title, start, filter);
    if (names.isEmpty())
        return std::nullopt;
    return names;
}
