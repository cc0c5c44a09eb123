// The stand-in control centre's command line. Every option it knows is listed
// here once, so that the parser, --help and the tests cannot drift apart.
#ifndef VORLA_HOST_HOST_OPTIONS_H
#define VORLA_HOST_HOST_OPTIONS_H

#include <QCommandLineOption>
#include <QList>

class QCommandLineParser;

struct host_options_t
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
    QCommandLineOption seed_games{QStringLiteral("seed-games"),
                                  QStringLiteral("Start with demo quick-launch lists when there are none "
                                                 "yet, and a folder of demo games to add.")};
    QCommandLineOption seed_scan{
        QStringLiteral("seed-scan"),
        QStringLiteral("Give the game scanner something to find: launchers in a Wine-style drive C, a "
                       "Steam key with applications, and a local stand-in for the application-information "
                       "web service. Also offers the scan button.")};
    QCommandLineOption simulate_pairing{
        QStringLiteral("simulate-pairing"),
        QStringLiteral("Once started, a new phone of this name asks to pair."), QStringLiteral("name")};
    QCommandLineOption tour{QStringLiteral("tour"),
                            QStringLiteral("Walk through the window without a user, save screenshots and "
                                           "the log into dir, then quit."),
                            QStringLiteral("dir")};

    QList<QCommandLineOption> all() const
    {
        return {module, user_data_home, language, seed_phones, seed_games, seed_scan, simulate_pairing, tour};
    }
    // The description, --help and every option above.
    void add_to(QCommandLineParser &parser) const;
};

#endif
