#include "main_window_c.h"

#include "client_store_keeper_c.h"
#include "control_centre_c.h"
#include "kernel_client_c.h"
#include "module/module_interfaces.h"
#include "text_provider_c.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
const QColor surface(0x0b, 0x0b, 0x0b);
const QColor raised(0x16, 0x16, 0x16);
const QColor text_dim(0x50, 0x50, 0x50);
const QColor text_grey(0x8a, 0x8a, 0x8a);
const QColor text_bright(0xbc, 0xbc, 0xbc);
const QColor accent(0x65, 0xc3, 0xf7);

// Every rule names the host's own widgets by type or object name: the window's style
// sheet cascades into the page container, and the module's forms must look the same
// here as in any other host.
const char *const window_style = R"(
QMainWindow { background: #0b0b0b; }
QMainWindow::separator { background: #1c1c1c; height: 1px; width: 1px; }
QMenuBar { background: #121212; color: #8a8a8a; border-bottom: 1px solid #1c1c1c; font-size: 13px; }
QMenuBar::item { padding: 4px 10px; background: transparent; }
QMenuBar::item:selected { background: #1e1e1e; color: #65c3f7; }
QMenu { background: #161616; color: #bcbcbc; border: 1px solid #2a2a2a; padding: 4px 0; font-size: 13px; }
QMenu::item:disabled { color: #505050; }
QMenu::item { padding: 5px 24px 5px 26px; }
QMenu::item:selected { background: #1f2a31; color: #65c3f7; }
QMenu::separator { height: 1px; background: #2a2a2a; margin: 4px 8px; }
QWidget#header { background: #121212; border-bottom: 1px solid #1f1f1f; }
/* Tab buttons start as wide as the pages later fit them: text plus 48 pixels. */
QWidget#tab_bar QPushButton { padding: 0 24px; }
QWidget#brand_mark { background: #65c3f7; }
QLabel#brand { color: #bcbcbc; font-size: 14px; font-weight: bold; letter-spacing: 2px; }
QWidget#page_container { background: #0f0f0f; border: 1px solid #1c1c1c; }
QDockWidget { color: #6a6a6a; font-size: 12px; font-weight: bold; letter-spacing: 1px; }
QDockWidget::title { background: #121212; padding: 5px 10px; border-top: 1px solid #1f1f1f; }
QDockWidget::close-button, QDockWidget::float-button { border: none; background: transparent; padding: 1px; }
QDockWidget::close-button:hover, QDockWidget::float-button:hover { background: #2a2a2a; }
QPlainTextEdit#log_view { background: #080808; color: #8a8a8a; border: none; padding: 2px 4px;
                          selection-background-color: #65c3f7; selection-color: #000000; }
QPlainTextEdit#log_view QScrollBar:vertical { background: #080808; width: 8px; margin: 0; }
QPlainTextEdit#log_view QScrollBar::handle:vertical { background: #2a2a2a; min-height: 24px; border-radius: 4px; }
QPlainTextEdit#log_view QScrollBar::handle:vertical:hover { background: #65c3f7; }
QPlainTextEdit#log_view QScrollBar::add-line, QPlainTextEdit#log_view QScrollBar::sub-line { height: 0; }
QPlainTextEdit#log_view QScrollBar::add-page, QPlainTextEdit#log_view QScrollBar::sub-page { background: none; }
QStatusBar { background: #0b0b0b; color: #6a6a6a; border-top: 1px solid #1c1c1c; }
QStatusBar::item { border: none; }
QStatusBar QLabel { color: #6a6a6a; font-size: 12px; padding: 2px 6px; }
)";
} // namespace

main_window_c::main_window_c(control_centre_c &host, QWidget *parent) : QMainWindow(parent), host(host)
{
    setWindowTitle(QStringLiteral("Control Centre"));
    setAccessibleName(QStringLiteral("Control centre"));
    setStyleSheet(QLatin1String(window_style));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(build_header());
    column->addLayout(build_page_area(), 1);
    setCentralWidget(central);

    build_log_panel();
    build_menus();
    status_label = new QLabel(this);
    statusBar()->addWidget(status_label, 1);
    statusBar()->setSizeGripEnabled(false);

    follow_host();
    sync_language_menu(host.language());
    host.set_page_container(page_area);
    update_status();
}

QLayout *main_window_c::build_page_area()
{
    page_area = new QWidget;
    page_area->setObjectName(QStringLiteral("page_container"));
    page_area->setAccessibleName(QStringLiteral("Product page"));
    page_area->setAttribute(Qt::WA_StyledBackground);
    page_area->setMinimumSize(page_width + 2 * page_margin, page_height + 2 * page_margin);
    page_area->installEventFilter(this);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->addWidget(page_area);
    return body;
}

void main_window_c::follow_host()
{
    connect(&host, &control_centre_c::call_logged, this,
            [this](const QString &line) { append_log(QStringLiteral("module"), line); });
    connect(&host, &control_centre_c::note_logged, this, [this](const QString &line) {
        append_log(QStringLiteral("host"), line);
        update_status();
    });
    connect(&host, &control_centre_c::language_changed, this, [this](int language) {
        // Before the pages hear of the change: they fit their buttons to this font.
        for (QPushButton *button : tab_buttons())
            button->setFont(tab_font(language));
        sync_language_menu(language);
        update_status();
    });
    connect(&host, &control_centre_c::kernel_started, this, &main_window_c::add_tabs);
    connect(&host, &control_centre_c::kernel_released, this, &main_window_c::remove_tabs);
    connect(host.kernel_client(), &kernel_client_c::dialog_pending, this, &main_window_c::bring_to_front);
}

main_window_c::~main_window_c()
{
    // The kernels' forms live in the container, which goes with the window.
    host.set_page_container(nullptr);
}

QList<QPushButton *> main_window_c::tab_buttons() const
{
    QList<QPushButton *> buttons;
    for (const tab_t &tab : tabs) {
        if (tab.button != nullptr)
            buttons.append(tab.button);
    }
    return buttons;
}

QFont main_window_c::tab_font(int language)
{
    // Simplified Chinese needs a family with its script; the rest share the Latin one.
    const bool chinese = language == text_provider_c::simplified_chinese;
    QFont font(chinese ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    if (!chinese)
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return font;
}

void main_window_c::add_tabs(product_kernel_i *kernel)
{
    const int first = tabs.size();
    const int count = kernel->page_count();
    for (int index = 0; index < count; ++index) {
        product_function_page_i *page = kernel->page_at(index);
        QPushButton *button = page != nullptr ? page->create_tab_button() : nullptr;
        if (button == nullptr)
            continue;
        // Set on the button itself: the module styles it before it has a parent, so it
        // would not take the tab bar's font.
        button->setFont(tab_font(host.language()));
        // The layout parents the button to the tab bar: from here on the window owns it.
        tab_layout->insertWidget(tab_layout->count() - 1, button);
        const tab_t tab{kernel, page->get_page_id(), button};
        tabs.append(tab);
        connect(button, &QPushButton::clicked, this, [this, tab] { open_tab(tab); });
    }
    host_event_menu->setEnabled(true);
    save_action->setEnabled(true);
    if (tabs.size() > first)
        open_tab(tabs.at(first));
}

void main_window_c::remove_tabs(product_kernel_i *kernel)
{
    for (int index = tabs.size() - 1; index >= 0; --index) {
        if (tabs.at(index).kernel == kernel)
            delete tabs.takeAt(index).button;
    }
    host_event_menu->setEnabled(!host.kernels().isEmpty());
    save_action->setEnabled(!host.kernels().isEmpty());
}

void main_window_c::open_tab(const tab_t &tab)
{
    host.show_page(tab.kernel, tab.page_id);
    // A page builds its form anew each time it is shown.
    set_scan_offered(offer_scan_action->isChecked());
    // A click toggles a checkable button, also the one of the page already shown,
    // which the kernel then leaves alone.
    if (tab.button != nullptr)
        tab.button->setChecked(true);
}

void main_window_c::set_scan_offered(bool on)
{
    if (offer_scan_action->isChecked() != on)
        offer_scan_action->setChecked(on);
    for (const char *name : {"btn_scan", "lb_scan_info"})
        for (QWidget *widget : page_area->findChildren<QWidget *>(QLatin1String(name)))
            widget->setVisible(on);
}

void main_window_c::bring_to_front()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void main_window_c::apply_application_look()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    palette.setColor(QPalette::Window, surface);
    palette.setColor(QPalette::WindowText, text_bright);
    palette.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    palette.setColor(QPalette::AlternateBase, raised);
    palette.setColor(QPalette::Text, text_bright);
    palette.setColor(QPalette::Button, QColor(0x1a, 0x1a, 0x1a));
    palette.setColor(QPalette::ButtonText, text_bright);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::ToolTipBase, raised);
    palette.setColor(QPalette::ToolTipText, text_bright);
    palette.setColor(QPalette::PlaceholderText, text_dim);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, text_dim);
    QApplication::setPalette(palette);
}

QWidget *main_window_c::build_header()
{
    auto *header = new QWidget;
    header->setObjectName(QStringLiteral("header"));
    header->setAttribute(Qt::WA_StyledBackground);
    auto *row = new QHBoxLayout(header);
    // No room below: the tab buttons' own underline sits on the header's bottom edge.
    row->setContentsMargins(14, 3, 8, 0);
    row->setSpacing(0);

    auto *mark = new QWidget(header);
    mark->setObjectName(QStringLiteral("brand_mark"));
    mark->setAttribute(Qt::WA_StyledBackground);
    mark->setFixedSize(3, 18);
    row->addWidget(mark);
    row->addSpacing(10);
    auto *brand = new QLabel(QStringLiteral("CONTROL CENTRE"), header);
    brand->setObjectName(QStringLiteral("brand"));
    brand->setAccessibleName(QStringLiteral("Application name"));
    row->addWidget(brand);
    row->addSpacing(28);

    tab_strip = new QWidget(header);
    tab_strip->setObjectName(QStringLiteral("tab_bar"));
    tab_strip->setAccessibleName(QStringLiteral("Product tabs"));
    tab_strip->setMinimumHeight(34);
    tab_layout = new QHBoxLayout(tab_strip);
    tab_layout->setContentsMargins(0, 0, 0, 0);
    tab_layout->setSpacing(2);
    tab_layout->addStretch(1);
    row->addWidget(tab_strip, 1);
    return header;
}

void main_window_c::build_menus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Load module..."), this, &main_window_c::choose_module);
    save_action = file->addAction(QStringLiteral("&Save quick-launch lists"), this,
                                  [this] { host.save_quick_launch_lists(); });
    save_action->setShortcut(QKeySequence::Save);
    save_action->setEnabled(false);
    // The module hides its scan button and leaves offering a scan to the host.
    offer_scan_action = file->addAction(QStringLiteral("Offer game s&canning"), this,
                                        [this](bool on) { set_scan_offered(on); });
    offer_scan_action->setCheckable(true);
    unload_action = file->addAction(QStringLiteral("&Unload module"), this, &main_window_c::unload_module);
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu *language = menuBar()->addMenu(QStringLiteral("&Language"));
    language_actions = new QActionGroup(this);
    language_actions->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const QMap<int, QString> languages = host.languages();
    for (auto it = languages.cbegin(); it != languages.cend(); ++it) {
        QAction *action = language->addAction(it.value());
        action->setCheckable(true);
        action->setData(it.key());
        language_actions->addAction(action);
        const int id = it.key();
        // Switching is for this session only; nothing is stored.
        connect(action, &QAction::triggered, this, [this, id] { host.set_language(id); });
    }

    // Stand-ins for what the real installation reports about the phones.
    host_event_menu = menuBar()->addMenu(QStringLiteral("&Host events"));
    host_event_menu->addAction(QStringLiteral("Paired clients changed (%1)").arg(host_event_clients_changed),
                               this, [this] { host.send_host_event(host_event_clients_changed); });
    host_event_menu->addAction(QStringLiteral("Pairing request (%1)").arg(host_event_pairing_requested), this,
                               [this] { host.send_host_event(host_event_pairing_requested); });
    host_event_menu->setEnabled(false);

    build_phone_menu();

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(log_dock->toggleViewAction());
}

void main_window_c::build_phone_menu()
{
    // Plays the phones and the program that keeps their file; only while the host keeps it.
    phone_menu = menuBar()->addMenu(QStringLiteral("&Phones"));
    connect(phone_menu, &QMenu::aboutToShow, this, &main_window_c::fill_phone_menu);
    fill_phone_menu();
}

void main_window_c::fill_phone_menu()
{
    phone_menu->clear();
    client_store_keeper_c *store = host.client_store();
    if (store == nullptr) {
        phone_menu->addAction(QStringLiteral("No paired-client file kept"))->setEnabled(false);
        return;
    }
    phone_menu->addAction(QStringLiteral("New phone asks to pair"), this, [this, store] {
        static const char *const names[] = {"OnePlus 11", "Xperia 5 V", "Moto g84", "Nothing Phone (2)"};
        const QString name = QString::fromUtf8(names[phones_asked++ % std::size(names)]);
        store->add_pairing_request(name, QStringLiteral("Android phone"));
    });
    phone_menu->addSeparator();
    const QList<client_store_keeper_c::client_t> clients = store->clients();
    for (const client_store_keeper_c::client_t &client : clients) {
        QAction *action = phone_menu->addAction(client.name + QStringLiteral(" connected"));
        action->setCheckable(true);
        action->setChecked(client.connected);
        connect(action, &QAction::triggered, this,
                [store, id = client.id](bool connected) { store->set_connected(id, connected); });
    }
    if (clients.isEmpty())
        phone_menu->addAction(QStringLiteral("No phones known"))->setEnabled(false);
    phone_menu->addSeparator();
    QAction *seed = phone_menu->addAction(QStringLiteral("Seed demo phones"), store,
                                          &client_store_keeper_c::seed_demo_phones);
    seed->setEnabled(!store->exists());
    QAction *clear =
        phone_menu->addAction(QStringLiteral("Delete the file"), store, &client_store_keeper_c::clear);
    clear->setEnabled(store->exists());
}

void main_window_c::build_log_panel()
{
    log_edit = new QPlainTextEdit;
    log_edit->setObjectName(QStringLiteral("log_view"));
    log_edit->setAccessibleName(QStringLiteral("Host log"));
    log_edit->setReadOnly(true);
    log_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    log_edit->setMaximumBlockCount(10000);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    log_edit->setFont(mono);

    log_dock = new QDockWidget(QStringLiteral("HOST LOG"), this);
    log_dock->setObjectName(QStringLiteral("log_dock"));
    log_dock->setAccessibleName(QStringLiteral("Host log panel"));
    log_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                          QDockWidget::DockWidgetFloatable);
    log_edit->setMinimumHeight(150);
    log_dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
    log_dock->setWidget(log_edit);
    addDockWidget(Qt::BottomDockWidgetArea, log_dock);
}

QString main_window_c::log_text() const
{
    return log_edit->toPlainText();
}

void main_window_c::set_page_hint(const QString &hint)
{
    page_hint = hint;
    page_area->update();
}

bool main_window_c::load_module(const QString &file_path)
{
    QString error;
    const bool loaded = host.load_module(file_path, &error);
    set_page_hint(loaded ? QStringLiteral("Module loaded\nIts product pages open here.")
                         : QStringLiteral("No module loaded\n") + error);
    return loaded;
}

void main_window_c::choose_module()
{
    const QString start = host.module_loaded() ? host.module_path() : QCoreApplication::applicationDirPath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load module"), start,
                                                      QStringLiteral("Modules (*.so);;All files (*)"));
    if (path.isEmpty())
        return;
    unload_module();
    load_module(path);
}

void main_window_c::unload_module()
{
    if (!host.module_loaded())
        return;
    // Unloading must not lose the user's edits; the host itself never saves on unload.
    if (!host.kernels().isEmpty())
        host.save_quick_launch_lists();
    host.unload_module();
    set_page_hint(QStringLiteral("No module loaded\nFile > Load module... loads one."));
}

void main_window_c::append_log(const QString &source, const QString &line)
{
    const QString entry = source.leftJustified(6) + QStringLiteral("  ") + line;
    const QString time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    if (entry == last_entry && log_edit->document()->blockCount() > 0 &&
        !log_edit->document()->lastBlock().text().isEmpty()) {
        // Forms ask for the control centre once per text; one line per burst is enough.
        ++repeats;
        QTextCursor cursor(log_edit->document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(time + QStringLiteral("  ") + entry + QStringLiteral("  (x%1)").arg(repeats));
        return;
    }
    last_entry = entry;
    repeats = 1;
    log_edit->appendPlainText(time + QStringLiteral("  ") + entry);
}

void main_window_c::closeEvent(QCloseEvent *event)
{
    // The host's own unload_module does not save, so a quit after this saves nothing twice.
    if (!host.kernels().isEmpty())
        host.save_quick_launch_lists();
    // The kernels end with the window, and with them every dialog the module has
    // open: one left showing would keep the application from quitting.
    host.set_page_container(nullptr);
    QMainWindow::closeEvent(event);
}

bool main_window_c::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == page_area && event->type() == QEvent::Paint)
        paint_page_hint();
    return QMainWindow::eventFilter(watched, event);
}

void main_window_c::paint_page_hint()
{
    if (page_hint.isEmpty())
        return;
    const QList<QWidget *> children =
        page_area->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget *child : children) {
        if (child->isVisible())
            return;
    }
    // First line as a heading, the rest as its explanation.
    const int split = page_hint.indexOf(QLatin1Char('\n'));
    const QString heading = page_hint.left(split);
    const QString detail = split < 0 ? QString() : page_hint.mid(split + 1);
    const QRect area = page_area->rect().adjusted(60, 0, -60, 0);
    const int middle = area.center().y();

    QPainter painter(page_area);
    QFont font = this->font();
    font.setPixelSize(15);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    painter.setFont(font);
    painter.setPen(text_grey);
    painter.drawText(QRect(area.left(), middle - 40, area.width(), 30), Qt::AlignCenter, heading.toUpper());
    painter.fillRect(QRect(area.center().x() - 16, middle - 4, 32, 2), accent);
    font.setPixelSize(12);
    font.setBold(false);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    painter.setFont(font);
    painter.setPen(text_dim);
    painter.drawText(QRect(area.left(), middle + 10, area.width(), 80),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, detail);
}

void main_window_c::sync_language_menu(int language)
{
    const QList<QAction *> actions = language_actions->actions();
    for (QAction *action : actions)
        action->setChecked(action->data().toInt() == language);
}

void main_window_c::update_status()
{
    const QString module = host.module_loaded() ? QStringLiteral("Module: ") + host.module_path()
                                                : QStringLiteral("No module loaded");
    const QString language = host.languages().value(host.language(), QString::number(host.language()));
    status_label->setText(module + QStringLiteral("   |   Language: ") + language);
    unload_action->setEnabled(host.module_loaded());
}
