#include "ProductsPage.h"

#include <QSet>

ProductsPage::~ProductsPage() = default;

DataPacket ProductsPage::DegRegistros(const QStringList &fieldNames, const DataPacket &data)
{
    DataPacket target;
    QList<int> sourceIndexes;
    for (const QString &name : fieldNames) {
        const int index = data.fieldIndex(name);
        if (index < 0)
            continue;
        FieldDef def = data.fields().at(index);
        def.required = false;
        target.addField(def.name, def.type, def.size, false);
        sourceIndexes << index;
    }
    QSet<QString> seen;
    for (const QVariantList &row : data.rows()) {
        QStringList key;
        QVariantList values;
        for (int index : std::as_const(sourceIndexes)) {
            const QVariant value = row.value(index);
            key << value.toString().toUpper();
            values << value;
        }
        // The unit separator never occurs in a code: the joined key is unambiguous.
        if (seen.contains(key.join(QChar(0x1F))))
            continue;
        seen.insert(key.join(QChar(0x1F)));
        target.appendRow(values);
    }
    return target;
}
