// control_centre: the stand-in host program. Loads the module, shows its pages and
// logs every call between the two.
#include "common/global_func_c.h"
#include "host/app_info_service_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "host/demo_data.h"
#include "host/demo_tour.h"
#include "host/host_options.h"
#include "host/main_window_c.h"
#include "host/tour_c.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
// The data directory has to be redirected before anything reads the standard
// paths, which may already happen while the application object is built.
void redirect_user_data(const host_options_t &options, int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser early;
    options.add_to(early);
    early.parse(arguments);
    if (early.isSet(options.user_data_home)) {
        const QString home = QFileInfo(early.value(options.user_data_home)).absoluteFilePath();
        QDir().mkpath(home);
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
    }
}

QString module_path(const host_options_t &options, const QCommandLineParser &parser)
{
#ifdef Q_OS_WIN
    const QString module_file = QStringLiteral("/vorla_connect.dll");
#else
    const QString module_file = QStringLiteral("/libvorla_connect.so");
#endif
    return parser.isSet(options.module) ? parser.value(options.module)
                                        : QCoreApplication::applicationDirPath() + module_file;
}

// Stands in for the installation and the web service the scanner looks at.
void seed_scan(app_info_service_c &service, bool slow)
{
    demo_data::seed_scan_environment();
    for (const demo_data::steam_app_t &app : demo_data::steam_apps())
        service.add_app(app.id, {app.type, app.name, app.client_icon});
    // Slow enough to watch the progress, as a distant service would be.
    service.set_delay_ms(slow ? 700 : 400);
    if (!service.start())
        std::fprintf(stderr, "control_centre: the local application-information service did not start\n");
}
// The tour shows the phones and the lists, so it always has some to start with.
void seed_demo(const host_options_t &options, const QCommandLineParser &parser, control_centre_c &host,
               app_info_service_c &service)
{
    const bool touring = parser.isSet(options.tour);
    if (parser.isSet(options.seed_phones) || touring)
        host.client_store()->seed_demo_phones();
    if (parser.isSet(options.seed_games) || touring)
        demo_data::seed_quick_launch(touring);
    if (parser.isSet(options.seed_scan) || touring)
        seed_scan(service, touring);
}
} // namespace

int main(int argc, char *argv[])
{
    const host_options_t options;
    redirect_user_data(options, argc, argv);

    // No organisation name: the module keeps its data in the parent of the first
    // application data location, which is then XDG_DATA_HOME itself.
    QApplication::setApplicationName(QStringLiteral("control_centre"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    options.add_to(parser);
    parser.process(app);
    bool language_ok = true;
    const int language =
        parser.isSet(options.language) ? parser.value(options.language).toInt(&language_ok) : 0;
    if (!language_ok) {
        std::fprintf(stderr, "control_centre: --language takes a number, not \"%s\"\n",
                     qPrintable(parser.value(options.language)));
        return 1;
    }
    const bool touring = parser.isSet(options.tour);

    main_window_c::apply_application_look();
    control_centre_c host;
    host.watch_module_messages();
    // The host reads the catalogue for itself to find the paired-client file
    // where the module looks for it.
    global_func_c::shared()->initialise();
    host.keep_client_store(client_store_keeper_c::default_path());
    app_info_service_c service;
    seed_demo(options, parser, host, service);
    main_window_c window(host);
    if (language != host.language())
        host.set_language(language);
    window.load_module(module_path(options, parser));
    // The tour shows the page as the module leaves it first and offers the scan later.
    if (parser.isSet(options.seed_scan))
        window.set_scan_offered(true);
    if (parser.isSet(options.simulate_pairing))
        host.client_store()->add_pairing_request(parser.value(options.simulate_pairing),
                                                 QStringLiteral("Android phone"));

    tour_c tour(window, parser.value(options.tour));
    if (touring) {
        add_demo_tour(tour, window, host, service, demo_data::scan_can_be_seeded());
        QObject::connect(&tour, &tour_c::finished, &app, [](int code) { QCoreApplication::exit(code); });
        tour.start();
    } else {
        window.show();
    }
    const int exit_code = app.exec();

    // The module leaves while its widgets' parents and the application still exist.
    host.unload_module();
    return exit_code;
}
