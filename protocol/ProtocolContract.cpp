#include "ProtocolContract.h"

#include "ContractDeclarations.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <stdexcept>

int MethodContract::indexOf(const QString &argName) const
{
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i).name == argName)
            return i;
    }
    return -1;
}

const ArgDecl *MethodContract::arg(const QString &argName) const
{
    const int i = indexOf(argName);
    return i < 0 ? nullptr : &args.at(i);
}

namespace Protocol {

namespace {

struct Registry
{
    QList<MethodContract> methods;
    QHash<QString, QList<FieldDef>> layouts;

    Registry()
    {
        methods = suprimentosMethods() + gridCotaPrecMethods();
        std::sort(methods.begin(), methods.end(), [](const MethodContract &a, const MethodContract &b) {
            return a.object != b.object ? a.object < b.object : a.name < b.name;
        });
        layouts = packetLayouts();
        for (MethodContract &m : methods)
            m.readOnly = readOnlyMethods().contains(m.qualifiedName());
    }
};

const Registry &registry()
{
    static const Registry r;
    return r;
}

QString fieldText(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::String:
    case FieldType::FixedString:
        return QStringLiteral("`%1` s%2").arg(f.name).arg(f.size);
    case FieldType::Memo:
        return QStringLiteral("`%1` memo").arg(f.name);
    default:
        return QStringLiteral("`%1` %2").arg(f.name, fieldTypeName(f.type));
    }
}

} // namespace

const QList<MethodContract> &methods()
{
    return registry().methods;
}

QStringList objects()
{
    QStringList out;
    for (const MethodContract &m : methods()) {
        if (!out.contains(m.object))
            out << m.object;
    }
    return out;
}

const MethodContract *find(const QString &object, const QString &method)
{
    for (const MethodContract &m : methods()) {
        if (m.object == object && m.name == method)
            return &m;
    }
    return nullptr;
}

const MethodContract &method(const QString &object, const QString &name)
{
    const MethodContract *m = find(object, name);
    if (!m)
        throw std::logic_error(QStringLiteral("%1.%2 is not in the protocol contract").arg(object, name).toStdString());
    return *m;
}

const QList<FieldDef> &packetLayout(const QString &name)
{
    const auto &layouts = registry().layouts;
    const auto it = layouts.constFind(name);
    if (it == layouts.constEnd())
        throw std::logic_error(QStringLiteral("packet layout %1 is not in the protocol contract").arg(name).toStdString());
    return *it;
}

QStringList packetLayoutNames()
{
    QStringList names = registry().layouts.keys();
    names.sort();
    return names;
}

QVariantList positional(const MethodContract &method, const QVariantMap &named)
{
    QVariantList values(method.args.size());
    for (auto it = named.constBegin(); it != named.constEnd(); ++it) {
        const int i = method.indexOf(it.key());
        if (i < 0)
            throw std::invalid_argument(QStringLiteral("%1 has no argument %2").arg(method.name, it.key()).toStdString());
        values[i] = it.value();
    }
    return values;
}

QVariantMap namedRefs(const MethodContract &method, const QMap<qint64, QVariant> &refs)
{
    QVariantMap out;
    for (auto it = refs.constBegin(); it != refs.constEnd(); ++it) {
        if (it.key() >= 0 && it.key() < method.args.size() && method.args.at(int(it.key())).byRef)
            out.insert(method.args.at(int(it.key())).name, it.value());
    }
    return out;
}

QString argTypeName(ArgType type)
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

QString referenceBlock(const MethodContract &method)
{
    QStringList lines;
    lines << QStringLiteral("| # | Name | Meaning | Type |") << QStringLiteral("| --- | --- | --- | --- |");
    for (int i = 0; i < method.args.size(); ++i) {
        const ArgDecl &a = method.args.at(i);
        QStringList type{argTypeName(a.type)};
        if (a.byRef)
            type << QStringLiteral("ref");
        if (a.isOperator)
            type << QStringLiteral("operator");
        if (!a.nullable)
            type << QStringLiteral("not null");
        lines << QStringLiteral("| %1 | `%2` | %3 | %4 |").arg(i).arg(a.name, a.meaning, type.join(QStringLiteral(", ")));
    }
    lines << QString();
    QString result = QStringLiteral("Result: ") + method.result;
    if (!method.resultPacket.isEmpty()) {
        QStringList fields;
        for (const FieldDef &f : packetLayout(method.resultPacket))
            fields << fieldText(f);
        result += QStringLiteral(" Packet `%1`: %2.").arg(method.resultPacket, fields.join(QStringLiteral(", ")));
    }
    lines << result;
    return lines.join(QLatin1Char('\n'));
}

QString rewriteReference(const QString &document, QStringList *problems)
{
    static const QRegularExpression block(
        QStringLiteral("<!-- contract ([^ ]+) -->\\n.*?<!-- /contract -->"),
        QRegularExpression::DotMatchesEverythingOption);
    QString out;
    QStringList seen;
    qsizetype from = 0;
    auto it = block.globalMatch(document);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += document.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        const QString qualified = m.captured(1);
        const qsizetype dot = qualified.lastIndexOf(QLatin1Char('.'));
        const MethodContract *method = dot < 0 ? nullptr : find(qualified.left(dot), qualified.mid(dot + 1));
        if (!method) {
            if (problems)
                *problems << QStringLiteral("block for %1, which the contract does not have").arg(qualified);
            out += m.captured(0);
            continue;
        }
        seen << qualified;
        out += QStringLiteral("<!-- contract %1 -->\n%2\n<!-- /contract -->").arg(qualified, referenceBlock(*method));
    }
    out += document.mid(from);
    for (const MethodContract &m : methods()) {
        if (!seen.contains(m.qualifiedName()) && problems)
            *problems << QStringLiteral("no block for %1").arg(m.qualifiedName());
    }
    return out;
}

} // namespace Protocol
