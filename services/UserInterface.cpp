#include "UserInterface.h"

#include <QDebug>

UserInterface::~UserInterface() = default;

// Without a window system nothing is shown, printed or saved.
void UserInterface::previewDocument(const QString &, const DocumentPainter &) {}

bool UserInterface::printDocument(const QString &, const DocumentPainter &)
{
    return false;
}

std::optional<QString> UserInterface::askSaveFileName(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

std::optional<QString> UserInterface::askFolder(const QString &, const QString &)
{
    return std::nullopt;
}

std::optional<QStringList> UserInterface::askOpenFileNames(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

bool UserInterface::question(const QString &text, MsgDlg::Type type)
{
    return showMessage(text, type, MsgDlg::mbYes | MsgDlg::mbNo) == MsgDlg::mrYes;
}

namespace {

// Used when no interface is installed (a program without windows): messages go to the
// log, questions are answered negatively.
class LogOnlyUserInterface final : public UserInterface
{
public:
    void showError(const QString &text) override { qWarning().noquote() << "error:" << text; }
    int showMessage(const QString &text, MsgDlg::Type, MsgDlg::Buttons buttons) override
    {
        qWarning().noquote() << "message:" << text;
        if (buttons.testFlag(MsgDlg::mbNo))
            return MsgDlg::mrNo;
        if (buttons.testFlag(MsgDlg::mbCancel))
            return MsgDlg::mrCancel;
        return MsgDlg::mrOk;
    }
    int alert(const QString &text, MsgDlg::Type, const QStringList &) override
    {
        qWarning().noquote() << "alert:" << text;
        return MsgDlg::mrCancel;
    }
    int search(DataSource *, const QString &) override { return -1; }
    std::optional<QStringList> listSearch(DataSource *, const QString &, const QString &,
                                          const QStringList &) override
    {
        return std::nullopt;
    }
    std::optional<QString> askPassword(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void progressStart(QWidget *, int, const QString &) override {}
    void progressStop() override {}
};

UserInterface *g_installed = nullptr;

} // namespace

UserInterface *ui()
{
    static LogOnlyUserInterface fallback;
    return g_installed ? g_installed : &fallback;
}

void setUserInterface(UserInterface *userInterface)
{
    g_installed = userInterface;
}
