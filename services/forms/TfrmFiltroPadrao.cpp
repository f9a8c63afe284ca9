#include "TfrmFiltroPadrao.h"

#include "Consiste.h"
#include "DialogParts.h"
#include "EventGuard.h"
#include "TMessages.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kControls = QStringLiteral("controls/");

// The controls whose state is an option: named by the form, not Qt's inner parts.
QList<QWidget *> optionControls(QWidget *form)
{
    QList<QWidget *> controls;
    for (QWidget *w : form->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (qobject_cast<QRadioButton *>(w) || qobject_cast<QCheckBox *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w))
            controls << w;
        else if (auto *edit = qobject_cast<QLineEdit *>(w); edit && !edit->isReadOnly())
            controls << w;
    }
    return controls;
}

} // namespace

TfrmFiltroPadrao::TfrmFiltroPadrao(QWidget *parent)
    : QDialog(parent)
{
    const DialogParts::DialogFrame frame = DialogParts::frame(this, QStringLiteral("frmFiltroPadrao"), QStringLiteral("panClient"));
    msgPadrao = frame.msgPadrao;
    msgMensagensPadroes = frame.msgMensagensPadroes;
    panClient = frame.client;
    panClientLayout = frame.clientLayout;
    QVBoxLayout *layout = frame.layout;

    panBotoes = DialogParts::buttonBar(this, QStringLiteral("panBotoes"));
    layout->addWidget(panBotoes);
    btfSaveOpc = DialogParts::addButton(panBotoes, QStringLiteral("btfSaveOpc"), tr("&Salvar Opções"),
                                        QStringLiteral("salvar"));
    btfLoadOpc = DialogParts::addButton(panBotoes, QStringLiteral("btfLoadOpc"), tr("Ca&rregar Opções"),
                                        QStringLiteral("abrir"));
    // The option buttons stand at the left, the confirmation at the right.
    auto *bar = static_cast<QHBoxLayout *>(panBotoes->layout());
    bar->removeWidget(btfSaveOpc);
    bar->removeWidget(btfLoadOpc);
    bar->insertWidget(0, btfSaveOpc);
    bar->insertWidget(1, btfLoadOpc);
    sbtConfirma = DialogParts::addButton(panBotoes, QStringLiteral("sbtConfirma"), tr("&Confirmar"),
                                         QStringLiteral("confirmar"));
    sbtCancela = DialogParts::addButton(panBotoes, QStringLiteral("sbtCancela"), tr("C&ancelar"),
                                        QStringLiteral("cancelar"));
    connect(sbtConfirma, &QToolButton::clicked, this, Consiste::guarded([this] { sbtConfirmaClick(); }));
    connect(sbtCancela, &QToolButton::clicked, this, Consiste::guarded([this] { sbtCancelaClick(); }));
    connect(btfSaveOpc, &QToolButton::clicked, this, Consiste::guarded([this] { btfSaveOpcClick(); }));
    connect(btfLoadOpc, &QToolButton::clicked, this, Consiste::guarded([this] { btfLoadOpcClick(); }));
}

void TfrmFiltroPadrao::sbtConfirmaClick() {}

void TfrmFiltroPadrao::sbtCancelaClick()
{
    reject();
}

QString TfrmFiltroPadrao::settingsGroup() const
{
    return QStringLiteral("Filtros/") + objectName();
}

void TfrmFiltroPadrao::saveOption(const QString &key, const QVariant &value) const
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    settings.setValue(key, value);
}

QVariant TfrmFiltroPadrao::loadOption(const QString &key, const QVariant &defaultValue) const
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    return settings.value(key, defaultValue);
}

bool TfrmFiltroPadrao::hasSavedOptions() const
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    return !settings.allKeys().isEmpty();
}

void TfrmFiltroPadrao::btfSaveOpcClick()
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    for (QWidget *w : optionControls(this)) {
        const QString key = kControls + w->objectName();
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            settings.setValue(key, button->isChecked());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            settings.setValue(key, combo->currentText());
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
            settings.setValue(key, spin->text());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            settings.setValue(key, edit->text());
    }
}

void TfrmFiltroPadrao::btfLoadOpcClick()
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    for (QWidget *w : optionControls(this)) {
        const QString key = kControls + w->objectName();
        if (!settings.contains(key))
            continue;
        const QVariant value = settings.value(key);
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            button->setChecked(value.toBool());
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            const int index = combo->findText(value.toString());
            if (index >= 0)
                combo->setCurrentIndex(index);
            else if (combo->isEditable())
                combo->setEditText(value.toString());
        } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
            if (QLineEdit *edit = spin->findChild<QLineEdit *>())
                edit->setText(value.toString());
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            edit->setText(value.toString());
        }
    }
}
