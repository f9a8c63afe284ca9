#pragma once

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <memory>

// A stand-in application server for tests of the package and the host: it speaks the
// framing and the login of the wire, accepts every operator except "RECUSADO" and
// answers every call with a null result, but for the suppliers of a quotation, which the
// workspace reads as soon as it shows a quotation: an empty list in the layout it reads.
// It counts logins and the connections open.
class FakeLoginServer
{
public:
    FakeLoginServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                accept(socket);
        });
    }

    int port() const { return m_server.serverPort(); }
    int logins() const { return m_logins; }
    int openConnections() const { return m_open; }
    QStringList objectsCalled() const { return m_objects; }

private:
    void accept(QTcpSocket *socket)
    {
        ++m_open;
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            --m_open;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            while (buffer->size() >= 4) {
                const quint32 length = qFromBigEndian<quint32>(buffer->constData());
                if (buffer->size() < 4 + qsizetype(length))
                    return;
                const QCborMap request = QCborValue::fromCbor(buffer->mid(4, length)).toMap();
                buffer->remove(0, 4 + length);
                answer(socket, request);
            }
        });
    }

    void answer(QTcpSocket *socket, const QCborMap &request)
    {
        const QCborValue id = request.value(QStringLiteral("id"));
        const QString op = request.value(QStringLiteral("op")).toString();
        QCborMap reply;
        reply.insert(QStringLiteral("id"), id);
        if (op == QLatin1String("login")) {
            const QString operatorCode = request.value(QStringLiteral("operator")).toString();
            if (operatorCode.trimmed() == QLatin1String("RECUSADO")) {
                QCborMap error;
                error.insert(QStringLiteral("code"), QStringLiteral("auth"));
                error.insert(QStringLiteral("message"), QStringLiteral("Operador ou senha inválidos."));
                reply.insert(QStringLiteral("error"), error);
            } else {
                ++m_logins;
                reply.insert(QStringLiteral("ok"), true);
                reply.insert(QStringLiteral("operator"), operatorCode);
                reply.insert(QStringLiteral("operatorName"), QStringLiteral("Comprador de Teste"));
                reply.insert(QStringLiteral("branch"), request.value(QStringLiteral("branch")));
            }
        } else if (op == QLatin1String("call")) {
            m_objects << request.value(QStringLiteral("object")).toString();
            const bool suppliers = request.value(QStringLiteral("method")).toString() == QLatin1String("GetFornCotados");
            reply.insert(QStringLiteral("result"), suppliers ? emptySuppliersPacket() : QCborValue(QCborValue::Null));
            reply.insert(QStringLiteral("refs"), QCborMap());
        } else {
            reply.insert(QStringLiteral("ok"), true);
        }
        const QByteArray body = QCborValue(reply).toCbor();
        QByteArray frame(4, '\0');
        qToBigEndian<quint32>(quint32(body.size()), frame.data());
        socket->write(frame + body);
    }

    static QCborValue emptySuppliersPacket()
    {
        QCborArray fields;
        const QList<std::pair<const char *, int>> layout = {{"IDTPIJURFORN", 1}, {"NRINSJURFORN", 20},
                                                            {"NMRAZSOCFORN", 40}, {"NMFANTFORN", 40},
                                                            {"NRCOLEPRECO", 10}, {"CDFORNECED", 21}};
        for (const auto &[name, size] : layout) {
            QCborMap field;
            field.insert(QStringLiteral("name"), QString::fromLatin1(name));
            field.insert(QStringLiteral("type"), QStringLiteral("string"));
            field.insert(QStringLiteral("size"), size);
            field.insert(QStringLiteral("required"), false);
            fields.append(field);
        }
        QCborMap packet;
        packet.insert(QStringLiteral("fields"), fields);
        packet.insert(QStringLiteral("rows"), QCborArray());
        return QCborValue(QCborTag(27), QCborArray{QStringLiteral("DataPacket"), packet});
    }

    QTcpServer m_server;
    int m_logins = 0;
    int m_open = 0;
    QStringList m_objects;
};
