// control_centre: the stand-in host program. Loads the module, shows its pages and
// logs every call between the two.
#include "common/global_func_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "host/tour_c.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdio>
#include <functional>
#include <memory>

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
    QCommandLineOption seed_phones{QStringLiteral("seed-phones"),
                                   QStringLiteral("Start with a few known phones when there is no "
                                                  "paired-client file yet.")};
    QCommandLineOption simulate_pairing{
        QStringLiteral("simulate-pairing"),
        QStringLiteral("Once started, a new phone of this name asks to pair."), QStringLiteral("name")};
    QCommandLineOption tour{QStringLiteral("tour"),
                            QStringLiteral("Walk through the window without a user, save screenshots and "
                                           "the log into dir, then quit."),
                            QStringLiteral("dir")};

    void add_to(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QStringLiteral("Control centre host for the Vorla Connect module."));
        parser.addHelpOption();
        parser.addOptions({module, user_data_home, language, seed_phones, simulate_pairing, tour});
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

// The module's pairing dialog while it is open, found as a user would see it.
QDialog *open_pairing_dialog()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *dialog = qobject_cast<QDialog *>(window);
        if (dialog != nullptr && dialog->isVisible() &&
            dialog->findChild<QPushButton *>(QStringLiteral("btn_yes")) != nullptr)
            return dialog;
    }
    return nullptr;
}

// The phone page through the life of the paired-client file: the seeded phones,
// no file at all, a pairing request answered with YES, and the result.
void add_phone_steps(tour_c &tour, main_window_c &window, control_centre_c &host,
                     const std::function<std::function<QString()>(int)> &open_tab,
                     const std::function<std::function<QString()>(int)> &switch_language)
{
    client_store_keeper_c *store = host.client_store();
    auto paired_id = std::make_shared<QString>();
    tour.add_step(QStringLiteral("open the connect page"), open_tab(0));
    tour.add_screenshot(QStringLiteral("06_phones_seeded.png"));
    tour.add_step(QStringLiteral("delete the paired-client file"), [store] {
        return store->clear() ? QString() : QStringLiteral("there was no file to delete");
    });
    tour.add_screenshot(QStringLiteral("07_phones_empty.png"));
    tour.add_step(QStringLiteral("seed the demo phones again"), [store] {
        return store->seed_demo_phones() ? QString() : QStringLiteral("the phones were not written");
    });
    tour.add_step(QStringLiteral("a new phone asks to pair"), [store, paired_id] {
        *paired_id = store->add_pairing_request(QStringLiteral("OnePlus 11"), QStringLiteral("CPH2449"));
        return paired_id->isEmpty() ? QStringLiteral("the request was not written") : QString();
    });
    tour.add_step(QStringLiteral("the pairing dialog is open"), [] {
        return open_pairing_dialog() != nullptr ? QString() : QStringLiteral("no pairing dialog");
    });
    tour.add_screenshot(QStringLiteral("08_pairing_dialog.png"));
    tour.add_step(QStringLiteral("press YES"), [] {
        QDialog *dialog = open_pairing_dialog();
        if (dialog == nullptr)
            return QStringLiteral("no pairing dialog");
        dialog->findChild<QPushButton *>(QStringLiteral("btn_yes"))->click();
        return QString();
    });
    tour.add_step(QStringLiteral("the new phone is in the file"), [store, paired_id] {
        const QStringList ids = store->client_ids();
        return ids.contains(*paired_id) ? QString() : QStringLiteral("the new phone is not in the file");
    });
    // Ids are random, so the new phone may be listed below the fold.
    tour.add_step(QStringLiteral("scroll to the end of the list"), [&window] {
        auto *area = window.page_container()->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
        if (area == nullptr)
            return QStringLiteral("no scroll area on the page");
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        return QString();
    });
    tour.add_screenshot(QStringLiteral("10_phone_paired.png"));
    tour.add_step(QStringLiteral("switch to language 1"), switch_language(1));
    tour.add_screenshot(QStringLiteral("09_zh_phones.png"));
    tour.add_step(QStringLiteral("switch back to language 0"), switch_language(0));
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
    add_phone_steps(tour, window, host, open_tab, switch_language);
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
    // The host reads the catalogue for itself to find the paired-client file
    // where the module looks for it.
    global_func_c::shared()->initialise();
    host.keep_client_store(client_store_keeper_c::default_path());
    // The tour shows the phones, so it always has some to start with.
    if (parser.isSet(options.seed_phones) || parser.isSet(options.tour))
        host.client_store()->seed_demo_phones();
    main_window_c window(host);
    if (language != host.language())
        host.set_language(language);
    window.load_module(module_path);
    if (parser.isSet(options.simulate_pairing))
        host.client_store()->add_pairing_request(parser.value(options.simulate_pairing),
                                                 QStringLiteral("Android phone"));

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
