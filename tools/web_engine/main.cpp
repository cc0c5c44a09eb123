// web_engine.exe: the downloader the game scanner starts. Its job comes from the
// user settings ("url", "dest_file"); it fetches the url and saves the body to
// the destination file. The exit code tells the caller what happened, and a
// failed run leaves the destination untouched.
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {
enum exit_code_e
{
    exit_ok = 0,
    exit_bad_settings = 1,
    exit_network = 2,
    exit_timeout = 3,
    exit_write = 4,
};

const int default_timeout_ms = 25000;

int fail(exit_code_e code, const QString &reason)
{
    std::fprintf(stderr, "web_engine: %s\n", qPrintable(reason));
    return code;
}

// VORLA_WEB_BASE ("http://127.0.0.1:5123") sends every request to another
// server, keeping path and query, so tests can answer with a local one.
QUrl with_base(QUrl url)
{
    const QUrl base(qEnvironmentVariable("VORLA_WEB_BASE"));
    if (base.isValid() && !base.host().isEmpty()) {
        url.setScheme(base.scheme());
        url.setHost(base.host());
        url.setPort(base.port());
    }
    return url;
}

// VORLA_WEB_TIMEOUT_MS exists only so that tests need not wait for the real limit.
int timeout_ms()
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("VORLA_WEB_TIMEOUT_MS", &ok);
    return ok && value > 0 ? value : default_timeout_ms;
}

int save(const QString &path, const QByteArray &body)
{
    QSaveFile file(path);
    // commit() also renames after a failed flush, so the flush is checked first;
    // an uncommitted QSaveFile leaves the old file alone.
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size() || !file.flush() ||
        !file.commit())
        return fail(exit_write, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return exit_ok;
}

// Runs the event loop until the reply is finished, aborting it after the
// timeout; true when it timed out.
bool wait_for(QNetworkReply *reply)
{
    bool timed_out = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, [&] {
        timed_out = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, qApp, &QCoreApplication::quit);
    timer.start(timeout_ms());
    if (!reply->isFinished())
        QCoreApplication::exec();
    timer.stop();
    return timed_out;
}

int run()
{
    const QSettings settings(QStringLiteral("Mirvek"), QStringLiteral("VORLA_Downloader"));
    const QString url_text = settings.value(QStringLiteral("url")).toString();
    const QString dest = settings.value(QStringLiteral("dest_file")).toString();
    if (url_text.isEmpty() || dest.isEmpty())
        return fail(exit_bad_settings, QStringLiteral("url or dest_file not set"));
    const QUrl url = with_base(QUrl(url_text, QUrl::StrictMode));
    // Only web addresses: the downloader must not be a way to copy local files.
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return fail(exit_bad_settings, QStringLiteral("not a web address: %1").arg(url_text));

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = manager.get(request);
    const bool timed_out = wait_for(reply);

    const QString shown = url.toDisplayString();
    if (timed_out)
        return fail(exit_timeout,
                    QStringLiteral("no answer from %1 within %2 ms").arg(shown).arg(timeout_ms()));
    if (reply->error() != QNetworkReply::NoError)
        return fail(exit_network, QStringLiteral("%1: %2").arg(shown, reply->errorString()));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299)
        return fail(exit_network, QStringLiteral("%1: HTTP status %2").arg(shown).arg(status));
    return save(dest, reply->readAll());
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return run();
}
