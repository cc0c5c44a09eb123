// control_centre: the stand-in host program. Loads the module, shows its pages and
// logs every call between the two.
#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "host/tour_c.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <cstdio>

namespace {
struct options_t
{
    QCommandLineOption module{
        QStringLiteral("module"),
        QStringLiteral("The module library to load (default: libvorla_connect.so beside this program)."),
        QStringLiteral("path")};
    QCommandLineOption user_data_home{
        QStringLiteral("user-data-home"),
        QStringLiteral("Directory used as XDG_DATA_HOME, so that the module keeps its data there."),
        QStringLiteral("dir")};
    QCommandLineOption language{QStringLiteral("language"), QStringLiteral("Language id to start with."),
                                QStringLiteral("id")};
    QCommandLineOption tour{QStringLiteral("tour"),
                            QStringLiteral("Walk through the window without a user, save screenshots and "
                                           "the log into dir, then quit."),
                            QStringLiteral("dir")};

    void add_to(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QStringLiteral("Control centre host for the Vorla Connect module."));
        parser.addHelpOption();
        parser.addOptions({module, user_data_home, language, tour});
    }
};

// Clicks the tab button at index as a user would, so that the window's own click
// handling runs too.
QString click_tab(main_window_c &window, int index)
{
    const QList<QPushButton *> buttons = window.tab_buttons();
    if (index >= buttons.size())
        return QStringLiteral("only %1 tab buttons").arg(buttons.size());
    QPushButton *button = buttons.at(index);
    button->click();
    if (!button->isChecked())
        return QStringLiteral("the tab button \"%1\" is not checked after its click").arg(button->text());
    return QString();
}

// Later walkthroughs append their steps here.
void add_tour_steps(tour_c &tour, main_window_c &window, control_centre_c &host)
{
    const auto open_tab = [&window](int index) {
        return [&window, index] { return click_tab(window, index); };
    };
    const auto switch_language = [&host](int language) {
        return [&host, language] {
            host.set_language(language);
            return QString();
        };
    };
    tour.add_screenshot(QStringLiteral("01_started.png"));
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("02_page_connect.png"));
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_screenshot(QStringLiteral("03_page_quick_launch.png"));
    tour.add_step(QStringLiteral("switch to language 1"), switch_language(1));
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("04_zh_page_connect.png"));
    tour.add_step(QStringLiteral("open the quick launch page"), open_tab(1));
    tour.add_screenshot(QStringLiteral("05_zh_page_quick_launch.png"));
    tour.add_step(QStringLiteral("switch back to language 0"), switch_language(0));
    tour.add_log_dump(QStringLiteral("host_log.txt"));
}

} // namespace

int main(int argc, char *argv[])
{
    const options_t options;
    {
        // The data directory has to be redirected before anything reads the standard
        // paths, which may already happen while the application object is built.
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

    // No organisation name: the module keeps its data in the parent of the first
    // application data location, which is then XDG_DATA_HOME itself.
    QApplication::setApplicationName(QStringLiteral("control_centre"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    options.add_to(parser);
    parser.process(app);

    int language = 0;
    if (parser.isSet(options.language)) {
        bool ok = false;
        language = parser.value(options.language).toInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "control_centre: --language takes a number, not \"%s\"\n",
                         qPrintable(parser.value(options.language)));
            return 1;
        }
    }
    const QString module_path = parser.isSet(options.module) ? parser.value(options.module)
                                                             : QCoreApplication::applicationDirPath() +
                                                                   QStringLiteral("/libvorla_connect.so");

    main_window_c::apply_application_look();
    control_centre_c host;
    main_window_c window(host);
    if (language != host.language())
        host.set_language(language);
    window.load_module(module_path);

    tour_c tour(window, parser.value(options.tour));
    if (parser.isSet(options.tour)) {
        add_tour_steps(tour, window, host);
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
