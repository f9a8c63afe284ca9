#include "FormIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace FormIcons {

QIcon command(const QString &name)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor green(30, 130, 40), red(190, 30, 30), blue(30, 80, 170), ink(50, 50, 50);
    if (name == QLatin1String("incluir")) {
        p.fillRect(8, 3, 4, 14, green);
        p.fillRect(3, 8, 14, 4, green);
    } else if (name == QLatin1String("alterar")) {
        p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(5, 15, 15, 5);
        p.setPen(QPen(ink, 1));
        p.drawLine(3, 17, 6, 16);
    } else if (name == QLatin1String("excluir") || name == QLatin1String("cancelar")) {
        p.setPen(QPen(red, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(5, 5, 15, 15);
        p.drawLine(15, 5, 5, 15);
    } else if (name == QLatin1String("procurar")) {
        p.setPen(QPen(ink, 2));
        p.drawEllipse(QRect(3, 3, 10, 10));
        p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(12, 12, 17, 17);
    } else if (name == QLatin1String("imprimir")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(6, 2, 8, 6);
        p.setBrush(QColor(150, 150, 160));
        p.drawRect(2, 8, 16, 7);
        p.setBrush(Qt::white);
        p.drawRect(6, 13, 8, 5);
    } else if (name == QLatin1String("confirmar") || name == QLatin1String("executar")) {
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawPolyline(QPolygon({QPoint(4, 10), QPoint(8, 15), QPoint(16, 4)}));
    } else if (name == QLatin1String("salvar")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(blue);
        p.drawRect(3, 3, 14, 14);
        p.setBrush(Qt::white);
        p.drawRect(6, 3, 8, 5);
    } else if (name == QLatin1String("abrir")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(220, 180, 60));
        p.drawRect(2, 6, 16, 11);
        p.drawRect(2, 4, 6, 2);
    } else if (name == QLatin1String("visualizar")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 11, 15);
        p.setPen(QPen(blue, 2));
        p.drawEllipse(QRect(8, 8, 7, 7));
    } else if (name == QLatin1String("pdf")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 12, 16);
        p.fillRect(4, 10, 12, 5, red);
    } else {
        return {};
    }
    return QIcon(pm);
}

} // namespace FormIcons
