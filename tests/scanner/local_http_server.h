// A minimal HTTP/1.1 server on 127.0.0.1 for tests of programs that download:
// it answers GET requests from a fixed table and remembers what was asked.
#ifndef VORLA_LOCAL_HTTP_SERVER_H
#define VORLA_LOCAL_HTTP_SERVER_H

#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class local_http_server_c
{
public:
    struct answer_s
    {
        int status = 200;
        QByteArray body;
        int delay_ms = 0;    // before the answer is sent
        QByteArray location; // Location header, for redirects
    };

    // Keys are path and query as the client sends them, e.g. "/info?apps=570".
    // Targets missing from the table get 404.
    explicit local_http_server_c(const QMap<QString, answer_s> &answers) : m_answers(answers)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                    m_pending.remove(socket);
                    socket->deleteLater();
                });
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }

    bool is_listening() const { return m_server.isListening(); }
    // "http://127.0.0.1:<port>"
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    // Request targets in arrival order.
    const QStringList &targets() const { return m_targets; }
    int request_count() const { return m_targets.size(); }
    void clear_requests() { m_targets.clear(); }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        const QString target = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
        m_targets.append(target);
        answer_s not_found;
        not_found.status = 404;
        const answer_s answer = m_answers.value(target, not_found);
        QByteArray text = "HTTP/1.1 " + QByteArray::number(answer.status) + " Test\r\n" +
                          "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n" +
                          "Connection: close\r\n";
        if (!answer.location.isEmpty())
            text += "Location: " + answer.location + "\r\n";
        text += "\r\n" + answer.body;
        // The socket as context drops the answer if the client has gone meanwhile.
        QTimer::singleShot(answer.delay_ms, socket, [socket, text] {
            socket->write(text);
            socket->disconnectFromHost();
        });
    }

    QMap<QString, answer_s> m_answers;
    QMap<QTcpSocket *, QByteArray> m_pending;
    QStringList m_targets;
    // Last, so it goes first: its sockets' handlers use the members above.
    QTcpServer m_server;
};

#endif
