// The control centre's window: tab bar for the products' pages, the page container
// the module draws into, and a log of everything that passes between host and module.
#ifndef VORLA_HOST_MAIN_WINDOW_C_H
#define VORLA_HOST_MAIN_WINDOW_C_H

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QActionGroup;
class QDockWidget;
class QHBoxLayout;
class QLabel;
class QLayout;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class control_centre_c;
class product_kernel_i;

class main_window_c : public QMainWindow
{
    Q_OBJECT

public:
    // Size of a product page and the room around it.
    static constexpr int page_width = 1002;
    static constexpr int page_height = 487;
    static constexpr int page_margin = 11;

    // The host must outlive the window. The window lends the host its page container
    // and takes it back, releasing the kernels, when it goes.
    explicit main_window_c(control_centre_c &host, QWidget *parent = nullptr);
    ~main_window_c() override;

    // Dark Fusion palette for the whole application, so that dialogs the module opens
    // match the window.
    static void apply_application_look();

    // Kernels' tab buttons go into this layout, before its closing stretch; the window
    // takes ownership of what is placed there.
    QHBoxLayout *tab_bar_layout() const { return tab_layout; }
    QWidget *tab_bar() const { return tab_strip; }
    // The running kernels' tab buttons, in bar order.
    QList<QPushButton *> tab_buttons() const;
    // The font the tab buttons get for a language.
    static QFont tab_font(int language);
    // Handed to kernels as their container. It has no layout: the module makes one.
    QWidget *page_container() const { return page_area; }
    QPlainTextEdit *log_view() const { return log_edit; }
    QString log_text() const;
    // Shown in the empty page container while no page occupies it.
    void set_page_hint(const QString &hint);

    // Loads the module through the host and tells the user how that went.
    bool load_module(const QString &file_path);
    // Shows or hides the quick-launch page's scan button, now and whenever a page
    // is opened.
    void set_scan_offered(bool on);

public slots:
    // Adds a time-stamped line; a line equal to the one before only counts up that one.
    void append_log(const QString &source, const QString &line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Saves the quick-launch lists while the kernels still run, then releases
    // them: closing is how the user quits, and no module dialog may outlive it.
    void closeEvent(QCloseEvent *event) override;

private:
    // A tab button the window placed and owns, with the page it opens.
    struct tab_t
    {
        product_kernel_i *kernel;
        int page_id;
        QPointer<QPushButton> button;
    };

    QWidget *build_header();
    QLayout *build_page_area();
    // Logs what passes between host and module, and keeps tabs, menus and status in step.
    void follow_host();
    void build_menus();
    void build_phone_menu();
    void fill_phone_menu();
    void add_tabs(product_kernel_i *kernel);
    void remove_tabs(product_kernel_i *kernel);
    void open_tab(const tab_t &tab);
    void bring_to_front();
    void choose_module();
    void unload_module();
    void build_log_panel();
    void sync_language_menu(int language);
    void update_status();
    void paint_page_hint();

    control_centre_c &host;
    QWidget *tab_strip = nullptr;
    QHBoxLayout *tab_layout = nullptr;
    QWidget *page_area = nullptr;
    QDockWidget *log_dock = nullptr;
    QPlainTextEdit *log_edit = nullptr;
    QLabel *status_label = nullptr;
    QActionGroup *language_actions = nullptr;
    QAction *unload_action = nullptr;
    QAction *offer_scan_action = nullptr;
    QAction *save_action = nullptr;
    QMenu *host_event_menu = nullptr;
    QMenu *phone_menu = nullptr;
    int phones_asked = 0;
    QList<tab_t> tabs;
    QString page_hint;
    QString last_entry;
    int repeats = 0;
};

#endif
