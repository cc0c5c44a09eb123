// A scripted walk through the running window that leaves screenshots and the log
// behind, for looking at the program without sitting in front of it.
#ifndef VORLA_HOST_TOUR_C_H
#define VORLA_HOST_TOUR_C_H

#include <QDir>
#include <QList>
#include <QObject>

#include <functional>

class QPainter;
class QPixmap;
class QWidget;
class main_window_c;

class tour_c : public QObject
{
    Q_OBJECT

public:
    // Time given to the event loop after each step, so that posted events, layouts and
    // repaints have settled before the next screenshot.
    static constexpr int settle_ms = 150;
    static constexpr int expose_timeout_ms = 5000;

    // The window must outlive the tour. Files are written into directory, which is made
    // when missing.
    tour_c(main_window_c &window, const QString &directory, QObject *parent = nullptr);

    // Steps run in the order they were added. An action returns an error text, or an
    // empty string when it went well; the first error ends the tour.
    void add_step(const QString &name, std::function<QString()> action);
    // The window with any dialog open over it, and then whatever overlay paints in
    // window coordinates (a drag picture, which is a window of the platform's own).
    void add_screenshot(const QString &file_name, std::function<void(QPainter &)> overlay = {});
    void add_log_dump(const QString &file_name);
    // Saves the window with over painted where it stands, at once rather than as a
    // step: for a window that shows something only for a moment.
    bool save_shot(const QString &file_name, QWidget *over);

    // Shows the window, waits until it is exposed, then runs the steps.
    void start();

signals:
    // 0 when every step went well, 1 otherwise.
    void finished(int exit_code);

private:
    struct step_t
    {
        QString name;
        std::function<QString()> action;
    };
    QPixmap grab() const;
    void wait_for_exposure(int waited_ms);
    void run_next();
    void finish(int exit_code);

    main_window_c &window;
    QDir directory;
    QList<step_t> steps;
    int next = 0;
};

#endif
