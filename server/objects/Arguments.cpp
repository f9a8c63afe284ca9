#include "Arguments.h"

#include "Codes.h"
#include "MethodTable.h"
#include "ServerError.h"
#include "ServerText.h"

#include <QDateTime>
#include <QStringList>

namespace Arguments {

QString text(const CallContext &ctx, const QString &name)
{
    const QVariant &v = ctx.arg(name);
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}

QString code(const CallContext &ctx, const QString &name, int width)
{
    const QString raw = text(ctx, name);
    return raw.trimmed().isEmpty() ? QString() : padCode(raw, width);
}

QString requiredCode(const CallContext &ctx, const QString &name, int width, const QString &what)
{
    const QString c = code(ctx, name, width);
    if (c.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Arg_N_Inf"), {ServerText::message(what)}));
    return c;
}

bool isAllMark(const QVariant &value)
{
    return value.toString().trimmed().compare(QLatin1String("T"), Qt::CaseInsensitive) == 0;
}

QString canonicalList(const QVariant &list, int width)
{
    const QStringList parts = list.toString().split(QLatin1Char('_'), Qt::SkipEmptyParts);
    QStringList codes;
    for (const QString &p : parts) {
        if (!p.trimmed().isEmpty())
            codes << padCode(p, width);
    }
    if (codes.isEmpty())
        return {};
    return QLatin1Char('_') + codes.join(QLatin1Char('_')) + QLatin1Char('_');
}

QDate date(const CallContext &ctx, const QString &name)
{
    const QVariant &v = ctx.arg(name);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return {};
}

} // namespace Arguments
