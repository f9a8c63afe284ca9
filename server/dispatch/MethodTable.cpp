#include "MethodTable.h"

#include "DataPacket.h"
#include "ServerText.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <stdexcept>

namespace {

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

// The name of a kind of value as the caller reads it ("Tipo_<kind>" of the server's
// messages); a kind without a text there keeps its protocol name.
QString typeText(const QString &kind)
{
    QString key = QStringLiteral("Tipo_") + kind;
    key.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char('-'), QLatin1Char('_'));
    const QString text = ServerText::message(key);
    return text == key ? kind : text;
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

const QVariant &CallContext::arg(const QString &name) const
{
    const int i = method.indexOf(name);
    if (i < 0 || i >= args.size())
        throw std::logic_error(QStringLiteral("%1 has no argument %2").arg(method.name, name).toStdString());
    return args.at(i);
}

QVariant &CallContext::arg(const QString &name)
{
    const int i = method.indexOf(name);
    if (i < 0 || i >= args.size())
        throw std::logic_error(QStringLiteral("%1 has no argument %2").arg(method.name, name).toStdString());
    return args[i];
}

void MethodTable::implement(const QString &object, const QString &method, MethodFn fn)
{
    add(Protocol::method(object, method), std::move(fn));
}

void MethodTable::add(MethodContract contract, MethodFn fn)
{
    const QString object = contract.object;
    const QString method = contract.name;
    if (m_objects.value(object).contains(method))
        throw std::logic_error(QStringLiteral("%1.%2 is implemented twice").arg(object, method).toStdString());
    m_objects[object].insert(method, MethodDecl{std::move(contract), std::move(fn)});
}

QStringList MethodTable::unimplemented() const
{
    QStringList out;
    for (const MethodContract &m : Protocol::methods()) {
        if (!find(m.object, m.name))
            out << m.qualifiedName();
    }
    return out;
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
        return a->object() != b->object() ? a->object() < b->object() : a->name() < b->name();
    });
    return out;
}

QString MethodTable::checkArguments(const MethodDecl &decl, const QVariantList &args)
{
    const QList<ArgDecl> &specs = decl.contract.args;
    if (args.size() != specs.size()) {
        return ServerText::message(QStringLiteral("Args_Quantidade"))
            .arg(decl.name())
            .arg(specs.size())
            .arg(args.size());
    }
    for (int i = 0; i < args.size(); ++i) {
        const ArgDecl &spec = specs.at(i);
        const QVariant &v = args.at(i);
        if (isNull(v) ? !spec.nullable : !fits(spec.type, v)) {
            const QString name = spec.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(spec.name);
            return ServerText::message(QStringLiteral("Arg_Tipo"))
                .arg(i)
                .arg(name, typeText(Protocol::argTypeName(spec.type)), typeText(valueTypeName(v)));
        }
    }
    return {};
}

void MethodTable::normalizeArguments(const MethodDecl &decl, QVariantList &args)
{
    const QList<ArgDecl> &specs = decl.contract.args;
    const int n = int(qMin(args.size(), specs.size()));
    for (int i = 0; i < n; ++i) {
        QVariant &v = args[i];
        if (isNull(v)) {
            v = QVariant();
            continue;
        }
        switch (specs.at(i).type) {
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
