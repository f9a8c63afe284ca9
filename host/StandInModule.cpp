#include "StandInModule.h"

#include "HostMessages.h"
#include "TMessages.h"

#include "DataPacket.h"

#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

QString describeValue(const QVariant &value)
{
    if (isPacket(value))
        return hostMessages().Msg(QStringLiteral("PacoteDados")).arg(value.value<DataPacket>().rowCount());
    if (!value.isValid() || value.isNull())
        return QStringLiteral("null");
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toString(Qt::ISODate);
    if (value.metaType().id() == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant &item : value.toList())
            parts << describeValue(item);
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    if (value.metaType().id() == QMetaType::QString)
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    return value.toString();
}

} // namespace

bool StandInModule::isStandIn(const QString &module)
{
    static const QStringList modules = {QStringLiteral("SUP01802"), QStringLiteral("SUP01803")};
    return modules.contains(module.trimmed().toUpper());
}

QStringList StandInModule::describe(const QVariantList &params)
{
    QStringList lines;
    for (int i = 0; i < params.size(); ++i)
        lines << QStringLiteral("%1: %2").arg(i + 1).arg(describeValue(params.at(i)));
    return lines;
}

StandInModule::StandInModule(const QString &module, const QVariantList &params, QWidget *parent)
    : QWidget(parent)
{
    const QString code = module.trimmed().toUpper();
    setObjectName(QStringLiteral("frm") + code);
    setWindowTitle(QStringLiteral("%1 - %2").arg(hostMessages().Msg(code), code));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(hostMessages().Msg(QStringLiteral("ModuloParametros")), this);
    layout->addWidget(caption);
    auto *list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lstParametros"));
    const QStringList lines = describe(params);
    list->addItems(lines.isEmpty() ? QStringList{hostMessages().Msg(QStringLiteral("ModuloSemParametros"))} : lines);
    layout->addWidget(list);
    resize(420, 260);
}
