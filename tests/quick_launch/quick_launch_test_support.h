// Small helpers and the set-up the quick-launch tests share.
#ifndef VORLA_QUICK_LAUNCH_TEST_SUPPORT_H
#define VORLA_QUICK_LAUNCH_TEST_SUPPORT_H

#include "common/global_func_c.h"
#include "host/control_centre_c.h"
#include "module/module_host.h"
#include "pages/quick_launch_settings_c.h"
#include "quick_launch/item_list_fm_c.h"
#include "quick_launch/item_store.h"
#include "quick_launch/quick_launch_item_t.h"
#include "quick_launch/quick_launch_settings_fm_c.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// An entry with every text filled, so that a lost or mixed-up field shows.
inline quick_launch_item_t entry(int id, int order, bool dlc = false)
{
    const QString n = QString::number(id);
    return {id, order, 0, 0, dlc, "game " + n, "C:/Games/" + n + "/run.exe", "scan " + n};
}

// Entries whose Order is their ID: those given, or 1 to count.
inline quick_launch_list_t entries(std::initializer_list<int> ids)
{
    quick_launch_list_t list;
    for (int id : ids)
        list << entry(id, id);
    return list;
}
inline quick_launch_list_t numbered(int count)
{
    quick_launch_list_t list;
    for (int id = 1; id <= count; ++id)
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

// An icon no file would give by chance.
inline QImage red_icon()
{
    QImage icon(26, 26, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    return icon;
}

inline QPushButton *button(QWidget *parent, const QString &name)
{
    return parent->findChild<QPushButton *>(name);
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

// The control centre that the forms reach through the module host for texts,
// frames and fonts; the rows keep their icons in the icon directory.
struct forms_host_t
{
    forms_host_t() { set_module_host(centre.host_face()); }
    ~forms_host_t() { set_module_host(nullptr); }

    const bool icons_ready = [] {
        global_func_c::shared()->initialise();
        return QDir().mkpath(global_func_c::shared()->icon_directory());
    }();
    control_centre_c centre;
};

// The settings page with its form in a window; the window goes first, as the
// page's container would.
struct settings_page_t
{
    ~settings_page_t()
    {
        window.reset();
        // Entries never saved would take their icons along.
        page->get_games()->clear();
        page->get_programs()->clear();
    }
    bool show(QSize size)
    {
        window->resize(size);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    item_list_fm_c *games() const { return form->games_list_form(); }
    item_list_fm_c *programs() const { return form->programs_list_form(); }

    std::unique_ptr<quick_launch_settings_c> page = std::make_unique<quick_launch_settings_c>(nullptr);
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    quick_launch_settings_fm_c *form = new quick_launch_settings_fm_c(page.get(), nullptr, window.get());
};

#endif
