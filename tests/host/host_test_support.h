// Set-up the host tests share: the control centre with its main window.
#ifndef VORLA_HOST_TEST_SUPPORT_H
#define VORLA_HOST_TEST_SUPPORT_H

#include "host/control_centre_c.h"
#include "host/main_window_c.h"
#include "tests/common/common_test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// A test that drives the control centre and its window, made afresh per test.
class host_window_test_c : public QObject
{
protected:
    void make_host_window()
    {
        host = std::make_unique<control_centre_c>();
        window = std::make_unique<main_window_c>(*host);
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
};

#endif
