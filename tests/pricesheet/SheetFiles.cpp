#include "SheetFiles.h"

#include <QFile>
#include <QRegularExpression>

#include <quazip.h>
#include <quazipfile.h>

namespace SheetFiles {

QByteArray part(const QString &path, const QString &name)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(name))
        return {};
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool editPart(const QString &path, const QString &name, const std::function<QByteArray(QByteArray)> &edit)
{
    QList<std::pair<QString, QByteArray>> parts;
    {
        QuaZip zip(path);
        if (!zip.open(QuaZip::mdUnzip))
            return false;
        for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
            QuaZipFile file(&zip);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const QString current = zip.getCurrentFileName();
            const QByteArray bytes = file.readAll();
            parts.append({current, current == name ? edit(bytes) : bytes});
        }
    }
    const QString rewritten = path + QStringLiteral(".new");
    {
        QuaZip zip(rewritten);
        if (!zip.open(QuaZip::mdCreate))
            return false;
        for (const auto &[partName, bytes] : parts) {
            QuaZipFile file(&zip);
            if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(partName)) || file.write(bytes) != bytes.size())
                return false;
            file.close();
        }
        zip.close();
    }
    QFile::remove(path);
    return QFile::rename(rewritten, path);
}

bool setCell(const QString &path, const QString &ref, const QString &cellXml)
{
    bool found = false;
    const bool ok = editPart(path, QStringLiteral("xl/worksheets/sheet1.xml"), [&](QByteArray xml) {
        QString text = QString::fromUtf8(xml);
        const QRegularExpression cell(QStringLiteral("<c r=\"%1\"[^>]*?(/>|>.*?</c>)").arg(ref));
        const QRegularExpressionMatch m = cell.match(text);
        if (m.hasMatch()) {
            found = true;
            text.replace(m.capturedStart(), m.capturedLength(), cellXml);
        }
        return text.toUtf8();
    });
    return ok && found;
}

bool setPrice(const QString &path, int line, double value)
{
    const QString ref = QStringLiteral("G%1").arg(line);
    return setCell(path, ref, QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, QString::number(value, 'g', 17)));
}

} // namespace SheetFiles
