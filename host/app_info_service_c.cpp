#include "host/app_info_service_c.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {
// A request line longer than this is not one of ours.
constexpr int max_request_bytes = 16 * 1024;
const QString public_path = QStringLiteral("/v1/info/");
const QString older_path = QStringLiteral("/info");

// The application id a target asks for, empty when it is none of ours.
QString requested_id(const QString &target)
{
    const QUrl url(target);
    if (url.path().startsWith(public_path))
        return url.path().mid(public_path.size());
    if (url.path() == older_path)
        return QUrlQuery(url.query()).queryItemValue(QStringLiteral("apps"));
    return QString();
}
} // namespace

app_info_service_c::app_info_service_c(QObject *parent) : QObject(parent), server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    });
}

app_info_service_c::~app_info_service_c() = default;

bool app_info_service_c::start()
{
    if (!server->isListening() && !server->listen(QHostAddress::LocalHost))
        return false;
    qputenv("VORLA_WEB_BASE", base().toUtf8());
    return true;
}

QString app_info_service_c::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server->serverPort());
}

QByteArray app_info_service_c::answer(const QString &target) const
{
    const QString id = requested_id(target);
    const auto app = apps.constFind(id);
    const bool public_shape = answer_shape == shape_t::status_data;
    QJsonObject document;
    if (app == apps.constEnd()) {
        if (public_shape)
            document.insert(QStringLiteral("status"), QStringLiteral("failed"));
        else
            document.insert(QStringLiteral("success"), 2);
    } else {
        const QJsonObject common{{QStringLiteral("type"), app->type},
                                 {QStringLiteral("name"), app->name},
                                 {QStringLiteral("clienticon"), app->client_icon}};
        const QJsonObject listed{
            {id, QJsonObject{{QStringLiteral("appid"), id}, {QStringLiteral("common"), common}}}};
        if (public_shape) {
            document.insert(QStringLiteral("status"), QStringLiteral("success"));
            document.insert(QStringLiteral("data"), listed);
        } else {
            document.insert(QStringLiteral("success"), 1);
            document.insert(QStringLiteral("apps"), listed);
        }
    }
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

void app_info_service_c::read(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    if (request.size() > max_request_bytes) {
        socket->abort();
        return;
    }
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
    const bool known_path = !requested_id(target).isEmpty();
    const QByteArray body = known_path ? answer(target) : QByteArray("not found\n");
    const QByteArray reply = (known_path ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                             QByteArray("Content-Type: application/json\r\nContent-Length: ") +
                             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    socket->setProperty("request", QByteArray());
    ++request_count;
    // The socket as context drops the answer when the client has gone meanwhile.
    QTimer::singleShot(delay_ms, socket, [this, socket, reply, target] {
        socket->write(reply);
        socket->disconnectFromHost();
        emit request_answered(target);
    });
}
