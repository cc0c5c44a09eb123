#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "host/tour_c.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_tour_c : public QObject
{
    Q_OBJECT

private slots:
    void steps_run_in_order_and_leave_files();
    void failing_step_ends_the_tour();
};

void tst_tour_c::steps_run_in_order_and_leave_files()
{
    QTemporaryDir dir;
    control_centre_c host;
    main_window_c window(host);
    tour_c tour(window, dir.filePath(QStringLiteral("out")));
    QStringList done;
    tour.add_screenshot(QStringLiteral("a.png"));
    tour.add_step(QStringLiteral("switch"), [&] {
        done.append(QStringLiteral("switch"));
        host.set_language(3);
        return QString();
    });
    tour.add_log_dump(QStringLiteral("log.txt"));
    QSignalSpy finished(&tour, &tour_c::finished);
    tour.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QCOMPARE(done, QStringList{"switch"});

    const QImage shot(dir.filePath(QStringLiteral("out/a.png")));
    QCOMPARE(shot.size(), window.size());
    QFile log(dir.filePath(QStringLiteral("out/log.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll()).contains(QLatin1String("Language 3 (Deutsch)")));
}

void tst_tour_c::failing_step_ends_the_tour()
{
    QTemporaryDir dir;
    control_centre_c host;
    main_window_c window(host);
    tour_c tour(window, dir.path());
    bool later_ran = false;
    tour.add_step(QStringLiteral("fails"), [] { return QStringLiteral("broken"); });
    tour.add_step(QStringLiteral("later"), [&] {
        later_ran = true;
        return QString();
    });
    QSignalSpy finished(&tour, &tour_c::finished);
    QTest::ignoreMessage(QtWarningMsg, "tour: fails failed: broken");
    tour.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QVERIFY(!later_ran);
}

QTEST_MAIN(tst_tour_c)
#include "tst_tour_c.moc"
