// Set-up the host tests share: the control centre with its main window.
#ifndef VORLA_HOST_TEST_SUPPORT_H
#define VORLA_HOST_TEST_SUPPORT_H

#include "common/global_func_c.h"
#include "host/client_store_keeper_c.h"
#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "tests/common/common_test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// A command block as the kernel leaves it in shared memory.
inline QByteArray client_block(qint32 command, const QString &argument)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(16);
    stream << command << argument;
    return bytes;
}

inline QAction *find_action(const QWidget *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Calls answer once with the first modal dialog that comes up, from the event
// loop; gives up when owner goes.
inline void when_modal(QObject *owner, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->inherits("QMainWindow"))
            return;
        poll->deleteLater();
        answer(modal);
    });
    poll->start(5);
}

// A dialog left open would hold the test in its loop for good: after ms this
// rejects every modal dialog, ends the loops and notes that it had to.
class modal_watchdog_c
{
public:
    explicit modal_watchdog_c(int ms)
    {
        timer.callOnTimeout([this] {
            stuck = true;
            timer.setInterval(100);
            while (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                modal->reject();
            QCoreApplication::exit(1);
        });
        timer.start(ms);
    }
    bool stuck = false;

private:
    QTimer timer;
};

// A test that drives the control centre and its window, made afresh per test.
class host_window_test_c : public QObject
{
protected:
    void make_host_window()
    {
        host = std::make_unique<control_centre_c>();
        window = std::make_unique<main_window_c>(*host);
        journal.clear();
        const auto log = [this](const QString &line) { journal.append(line); };
        QObject::connect(host.get(), &control_centre_c::note_logged, this, log);
        QObject::connect(host.get(), &control_centre_c::call_logged, this, log);
    }
    // Keeping the client file at store. The module reads the default file itself,
    // and a request another suite left there (Wine shares one data folder between
    // the suites) would open a pairing dialog that nobody answers.
    void make_host_window(const QString &store)
    {
        global_func_c::shared()->initialise();
        QFile::remove(client_store_keeper_c::default_path());
        make_host_window();
        host->keep_client_store(store);
    }
    // The window first: the module's forms live in it.
    void end_host_window()
    {
        window.reset();
        host.reset();
    }

    QPushButton *page_button(const char *name) const
    {
        return window->page_container()->findChild<QPushButton *>(QLatin1String(name));
    }
    // Direct children of the page container that are not hidden: the shown forms.
    QList<QWidget *> shown_forms() const
    {
        QList<QWidget *> shown;
        for (QWidget *child :
             window->page_container()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->isHidden())
                shown.append(child);
        return shown;
    }

    std::unique_ptr<control_centre_c> host;
    std::unique_ptr<main_window_c> window;
    QStringList journal; // host notes and module calls in one sequence
};

#endif
