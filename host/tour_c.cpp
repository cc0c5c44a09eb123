#include "tour_c.h"

#include "main_window_c.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QWindow>
#include <QtDebug>

tour_c::tour_c(main_window_c &shown, const QString &output, QObject *parent)
    : QObject(parent), window(shown), directory(output)
{}

void tour_c::add_step(const QString &name, std::function<QString()> action)
{
    steps.append({name, std::move(action)});
}

void tour_c::add_screenshot(const QString &file_name, std::function<void(QPainter &)> overlay)
{
    add_step(QStringLiteral("screenshot ") + file_name, [this, file_name, overlay]() -> QString {
        const QString path = directory.filePath(file_name);
        QPixmap shot = grab();
        if (overlay) {
            QPainter painter(&shot);
            overlay(painter);
        }
        if (!shot.save(path))
            return QStringLiteral("cannot write ") + path;
        return QString();
    });
}

QPixmap tour_c::grab() const
{
    QPixmap shot = window.grab();
    // Dialogs are windows of their own and would be missing from the window's
    // picture; they are painted where they stand over it.
    QPainter painter(&shot);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *top : windows) {
        if (qobject_cast<QDialog *>(top) == nullptr || !top->isVisible())
            continue;
        const QPoint at = top->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0));
        painter.drawPixmap(at, top->grab());
    }
    return shot;
}

bool tour_c::save_shot(const QString &file_name, QWidget *over)
{
    QPixmap shot = grab();
    if (over != nullptr) {
        QPainter painter(&shot);
        painter.drawPixmap(over->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0)), over->grab());
    }
    return shot.save(directory.filePath(file_name));
}

void tour_c::add_log_dump(const QString &file_name)
{
    add_step(QStringLiteral("log ") + file_name, [this, file_name]() -> QString {
        QSaveFile file(directory.filePath(file_name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return file.errorString();
        file.write(window.log_text().toUtf8() + '\n');
        if (!file.commit())
            return file.errorString();
        return QString();
    });
}

void tour_c::start()
{
    if (!directory.mkpath(QStringLiteral("."))) {
        qWarning().noquote() << "tour: cannot make" << directory.path();
        QTimer::singleShot(0, this, [this] { finish(1); });
        return;
    }
    window.show();
    wait_for_exposure(0);
}

void tour_c::wait_for_exposure(int waited_ms)
{
    const QWindow *handle = window.windowHandle();
    if (handle != nullptr && handle->isExposed()) {
        QTimer::singleShot(settle_ms, this, &tour_c::run_next);
        return;
    }
    if (waited_ms >= expose_timeout_ms) {
        qWarning().noquote() << "tour: the window was never exposed";
        finish(1);
        return;
    }
    const int poll_ms = 20;
    QTimer::singleShot(poll_ms, this, [this, waited_ms, poll_ms] { wait_for_exposure(waited_ms + poll_ms); });
}

void tour_c::run_next()
{
    if (next >= steps.size()) {
        finish(0);
        return;
    }
    const step_t &step = steps.at(next++);
    qInfo().noquote() << "tour:" << step.name;
    const QString error = step.action();
    if (!error.isEmpty()) {
        qWarning().noquote() << "tour:" << step.name << "failed:" << error;
        finish(1);
        return;
    }
    QTimer::singleShot(settle_ms, this, &tour_c::run_next);
}

void tour_c::finish(int exit_code)
{
    emit finished(exit_code);
}
