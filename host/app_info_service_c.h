// Stands in for the public application-information web service on this
// machine: a local HTTP server answering "/v1/info/<id>" (the public service's
// path) and "/info?apps=<id>" (older services') in either of the two JSON
// shapes the module reads. Programs started by the host reach it through
// VORLA_WEB_BASE, which the downloader uses in place of the service's address.
#ifndef VORLA_HOST_APP_INFO_SERVICE_C_H
#define VORLA_HOST_APP_INFO_SERVICE_C_H

#include <QMap>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

class app_info_service_c : public QObject
{
    Q_OBJECT

public:
    struct app_t
    {
        QString type; // "game", "Game", "dlc", "tool", ...
        QString name;
        QString client_icon;
    };

    enum class shape_t
    {
        status_data,  // {"status": "success", "data": {"<id>": {"common": ...}}}, the public service's
        success_apps, // {"success": 1, "apps": {"<id>": {"common": ...}}}
    };

    explicit app_info_service_c(QObject *parent = nullptr);
    ~app_info_service_c() override;

    void add_app(const QString &id, const app_t &app) { apps.insert(id, app); }
    // Listens on 127.0.0.1 at a free port and points VORLA_WEB_BASE of this
    // process, and so of the programs it starts, at it.
    bool start();
    QString base() const;
    int requests() const { return request_count; }
    // Makes each answer wait, as a distant service would; 0 answers at once.
    void set_delay_ms(int delay) { delay_ms = delay; }
    void set_shape(shape_t shape) { answer_shape = shape; }

    // The body for a request target, e.g. "/v1/info/570": the known
    // application in the current shape, or that shape's failure for an
    // unknown one.
    QByteArray answer(const QString &target) const;

signals:
    void request_answered(const QString &target);

private:
    void read(QTcpSocket *socket);

    QTcpServer *server;
    QMap<QString, app_t> apps;
    int request_count = 0;
    int delay_ms = 0;
    shape_t answer_shape = shape_t::status_data;
};

#endif
