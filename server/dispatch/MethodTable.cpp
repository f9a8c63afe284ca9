#include "MethodTable.h"

#include "DataPacket.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>

namespace {

QString typeName(ArgType type)
{
    switch (type) {
    case ArgType::Variant: return QStringLiteral("any value");
    case ArgType::String: return QStringLiteral("text");
    case ArgType::Integer: return QStringLiteral("integer");
    case ArgType::Float: return QStringLiteral("number");
    case ArgType::Boolean: return QStringLiteral("boolean");
    case ArgType::Date: return QStringLiteral("date");
    case ArgType::DateTime: return QStringLiteral("date-time");
    case ArgType::Packet: return QStringLiteral("data packet");
    case ArgType::Array: return QStringLiteral("array");
    }
    return QStringLiteral("?");
}

bool isInteger(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.typeId() == QMetaType::Nullptr;
}

bool fits(ArgType type, const QVariant &v)
{
    switch (type) {
    case ArgType::Variant: return true;
    case ArgType::String: return v.typeId() == QMetaType::QString;
    case ArgType::Integer: return isInteger(v);
    case ArgType::Float: return v.typeId() == QMetaType::Double || isInteger(v);
    case ArgType::Boolean: return v.typeId() == QMetaType::Bool;
    // A client's date variable may hold a date-time and the other way round; both are
    // dates on the wire, so either kind fits and normalizeArguments converts it.
    case ArgType::Date:
    case ArgType::DateTime:
        return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
    case ArgType::Packet: return isPacket(v);
    case ArgType::Array: return v.typeId() == QMetaType::QVariantList;
    }
    return false;
}

} // namespace

QString MethodTable::valueTypeName(const QVariant &v)
{
    if (isNull(v))
        return QStringLiteral("null");
    if (isInteger(v))
        return QStringLiteral("integer");
    if (isPacket(v))
        return QStringLiteral("data packet");
    switch (v.typeId()) {
    case QMetaType::QString: return QStringLiteral("text");
    case QMetaType::Double: return QStringLiteral("number");
    case QMetaType::Bool: return QStringLiteral("boolean");
    case QMetaType::QDate: return QStringLiteral("date");
    case QMetaType::QDateTime: return QStringLiteral("date-time");
    case QMetaType::QVariantList: return QStringLiteral("array");
    case QMetaType::QVariantMap: return QStringLiteral("map");
    default: return QString::fromLatin1(v.typeName());
    }
}

void MethodTable::add(MethodDecl decl)
{
    const QString object = decl.object;
    const QString name = decl.name;
    m_objects[object].insert(name, std::move(decl));
}

bool MethodTable::hasObject(const QString &object) const
{
    return m_objects.contains(object);
}

const MethodDecl *MethodTable::find(const QString &object, const QString &method) const
{
    const auto o = m_objects.constFind(object);
    if (o == m_objects.constEnd())
        return nullptr;
    const auto m = o->constFind(method);
    return m == o->constEnd() ? nullptr : &*m;
}

QList<const MethodDecl *> MethodTable::methods() const
{
    QList<const MethodDecl *> out;
    for (const auto &object : m_objects)
        for (const auto &decl : object)
            out.append(&decl);
    std::sort(out.begin(), out.end(), [](const MethodDecl *a, const MethodDecl *b) {
        return a->object != b->object ? a->object < b->object : a->name < b->name;
    });
    return out;
}

QString MethodTable::checkArguments(const MethodDecl &decl, const QVariantList &args)
{
    if (args.size() != decl.args.size()) {
        return QStringLiteral("%1 takes %2 argument(s), got %3")
            .arg(decl.name).arg(decl.args.size()).arg(args.size());
    }
    for (int i = 0; i < args.size(); ++i) {
        const ArgSpec &spec = decl.args.at(i);
        const QVariant &v = args.at(i);
        if (isNull(v) ? !spec.nullable : !fits(spec.type, v)) {
            const QString name = spec.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(spec.name);
            return QStringLiteral("argument %1%2: expected %3, got %4")
                .arg(i).arg(name, typeName(spec.type), valueTypeName(v));
        }
    }
    return {};
}

void MethodTable::normalizeArguments(const MethodDecl &decl, QVariantList &args)
{
    const int n = int(qMin(args.size(), decl.args.size()));
    for (int i = 0; i < n; ++i) {
        QVariant &v = args[i];
        if (isNull(v)) {
            v = QVariant();
            continue;
        }
        switch (decl.args.at(i).type) {
        case ArgType::Float:
            if (isInteger(v))
                v = QVariant(v.toDouble());
            break;
        case ArgType::Integer:
            v = QVariant(v.toLongLong());
            break;
        case ArgType::Date:
            if (v.typeId() == QMetaType::QDateTime)
                v = QVariant(v.toDateTime().date());
            break;
        case ArgType::DateTime:
            if (v.typeId() == QMetaType::QDate)
                v = QVariant(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC));
            break;
        default:
            break;
        }
    }
}
