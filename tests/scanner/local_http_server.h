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
    using answers_t = QMap<QString, answer_s>;

    // Keys are path and query as the client sends them, e.g. "/info?apps=570".
    // Targets missing from the table get 404.
    explicit local_http_server_c(const answers_t &answers) : answers(answers)
    {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
        server.listen(QHostAddress::LocalHost);
    }

    bool is_listening() const { return server.isListening(); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()); }
    // Request targets in arrival order.
    QStringList targets;

private:
    void read(QTcpSocket *socket)
    {
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        targets.append(QString::fromLatin1(request.left(request.indexOf("\r\n")).split(' ').value(1)));
        answer_s answer;
        answer.status = 404;
        answer = answers.value(targets.last(), answer);
        QByteArray text = "HTTP/1.1 " + QByteArray::number(answer.status) +
                          " Test\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                          "\r\nConnection: close\r\n";
        if (!answer.location.isEmpty())
            text += "Location: " + answer.location + "\r\n";
        text += "\r\n" + answer.body;
        // The socket as context drops the answer if the client has gone meanwhile.
        QTimer::singleShot(answer.delay_ms, socket, [socket, text] {
            socket->write(text);
            socket->disconnectFromHost();
        });
    }

    answers_t answers;
    // Last, so it goes first: its sockets' handlers use the members above.
    QTcpServer server;
};

#endif
