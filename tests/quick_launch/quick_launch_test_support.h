// Small helpers the quick-launch tests share.
#ifndef VORLA_QUICK_LAUNCH_TEST_SUPPORT_H
#define VORLA_QUICK_LAUNCH_TEST_SUPPORT_H

#include "quick_launch/quick_launch_item_t.h"

#include <QApplication>
#include <QList>
#include <QTimer>
#include <QtTest>

#include <functional>

// An entry with every text filled, so that a lost or mixed-up field shows.
inline quick_launch_item_t entry(int id, int order, bool dlc = false)
{
    const QString n = QString::number(id);
    return {id, order, 0, 0, dlc, "game " + n, "C:/Games/" + n + "/run.exe", "scan " + n};
}

// Entries whose Order is their ID.
inline quick_launch_list_t entries(std::initializer_list<int> ids)
{
    quick_launch_list_t list;
    for (int id : ids)
        list << entry(id, id);
    return list;
}

// The IDs of the entries, in list order.
inline QList<int> ids(const quick_launch_list_t &list)
{
    QList<int> result;
    for (const quick_launch_item_t &item : list)
        result << item.ID;
    return result;
}

// A whole file, or "(unreadable)".
inline QByteArray read_bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Each write gets a modification time of its own: the settings store trusts
// its cache while a file keeps its size and time.
inline void write_bytes(const QString &path, const QByteArray &bytes)
{
    static int stamp = 0;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++stamp), QFileDevice::FileModificationTime);
}

// Runs step once the next modal window is up, as a user would act on it.
inline void when_modal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        step(modal);
    });
}

#endif
