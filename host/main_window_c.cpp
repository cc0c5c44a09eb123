#include "main_window_c.h"

#include "client_store_keeper_c.h"
#include "control_centre_c.h"
#include "kernel_client_c.h"
#include "module/module_interfaces.h"

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

main_window_c::main_window_c(control_centre_c &host, QWidget *parent) : QMainWindow(parent), m_host(host)
{
    setWindowTitle(QStringLiteral("Control Centre"));
    setAccessibleName(QStringLiteral("Control centre"));
    setStyleSheet(QLatin1String(window_style));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(build_header());

    m_page_container = new QWidget(central);
    m_page_container->setObjectName(QStringLiteral("page_container"));
    m_page_container->setAccessibleName(QStringLiteral("Product page"));
    m_page_container->setAttribute(Qt::WA_StyledBackground);
    m_page_container->setMinimumSize(page_width + 2 * page_margin, page_height + 2 * page_margin);
    m_page_container->installEventFilter(this);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->addWidget(m_page_container);
    column->addLayout(body, 1);
    setCentralWidget(central);

    build_log_panel();
    build_menus();
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status, 1);
    statusBar()->setSizeGripEnabled(false);

    connect(&m_host, &control_centre_c::call_logged, this,
            [this](const QString &line) { append_log(QStringLiteral("module"), line); });
    connect(&m_host, &control_centre_c::note_logged, this, [this](const QString &line) {
        append_log(QStringLiteral("host"), line);
        update_status();
    });
    connect(&m_host, &control_centre_c::language_changed, this, [this](int language) {
        // Before the pages hear of the change: they fit their buttons to this font.
        for (QPushButton *button : tab_buttons())
            button->setFont(tab_font(language));
        sync_language_menu(language);
        update_status();
    });
    connect(&m_host, &control_centre_c::kernel_started, this, &main_window_c::add_tabs);
    connect(&m_host, &control_centre_c::kernel_released, this, &main_window_c::remove_tabs);
    connect(m_host.kernel_client(), &kernel_client_c::dialog_pending, this, &main_window_c::bring_to_front);
    sync_language_menu(m_host.language());
    m_host.set_page_container(m_page_container);
    update_status();
}

main_window_c::~main_window_c()
{
    // The kernels' forms live in the container, which goes with the window.
    m_host.set_page_container(nullptr);
}

QList<QPushButton *> main_window_c::tab_buttons() const
{
    QList<QPushButton *> buttons;
    for (const tab_t &tab : m_tabs) {
        if (tab.button != nullptr)
            buttons.append(tab.button);
    }
    return buttons;
}

QFont main_window_c::tab_font(int language)
{
    // Simplified Chinese needs a family with its script; the rest share the Latin one.
    QFont font(language == 1 ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    if (language != 1)
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return font;
}

void main_window_c::add_tabs(product_kernel_i *kernel)
{
    const int first = m_tabs.size();
    const int count = kernel->page_count();
    for (int index = 0; index < count; ++index) {
        product_function_page_i *page = kernel->page_at(index);
        QPushButton *button = page != nullptr ? page->create_tab_button() : nullptr;
        if (button == nullptr)
            continue;
        // Set on the button itself: the module styles it before it has a parent, so it
        // would not take the tab bar's font.
        button->setFont(tab_font(m_host.language()));
        // The layout parents the button to the tab bar: from here on the window owns it.
        m_tab_layout->insertWidget(m_tab_layout->count() - 1, button);
        const tab_t tab{kernel, page->get_page_id(), button};
        m_tabs.append(tab);
        connect(button, &QPushButton::clicked, this, [this, tab] { open_tab(tab); });
    }
    m_host_events->setEnabled(true);
    m_save->setEnabled(true);
    if (m_tabs.size() > first)
        open_tab(m_tabs.at(first));
}

void main_window_c::remove_tabs(product_kernel_i *kernel)
{
    for (int index = m_tabs.size() - 1; index >= 0; --index) {
        if (m_tabs.at(index).kernel == kernel)
            delete m_tabs.takeAt(index).button;
    }
    m_host_events->setEnabled(!m_host.kernels().isEmpty());
    m_save->setEnabled(!m_host.kernels().isEmpty());
}

void main_window_c::open_tab(const tab_t &tab)
{
    m_host.show_page(tab.kernel, tab.page_id);
    // A page builds its form anew each time it is shown.
    set_scan_offered(m_offer_scan->isChecked());
    // A click toggles a checkable button, also the one of the page already shown,
    // which the kernel then leaves alone.
    if (tab.button != nullptr)
        tab.button->setChecked(true);
}

void main_window_c::set_scan_offered(bool on)
{
    if (m_offer_scan->isChecked() != on)
        m_offer_scan->setChecked(on);
    for (const char *name : {"btn_scan", "lb_scan_info"})
        for (QWidget *widget : m_page_container->findChildren<QWidget *>(QLatin1String(name)))
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

    m_tab_bar = new QWidget(header);
    m_tab_bar->setObjectName(QStringLiteral("tab_bar"));
    m_tab_bar->setAccessibleName(QStringLiteral("Product tabs"));
    m_tab_bar->setMinimumHeight(34);
    m_tab_layout = new QHBoxLayout(m_tab_bar);
    m_tab_layout->setContentsMargins(0, 0, 0, 0);
    m_tab_layout->setSpacing(2);
    m_tab_layout->addStretch(1);
    row->addWidget(m_tab_bar, 1);
    return header;
}

void main_window_c::build_menus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Load module..."), this, &main_window_c::choose_module);
    m_save = file->addAction(QStringLiteral("&Save quick-launch lists"), this,
                             [this] { m_host.save_quick_launch_lists(); });
    m_save->setShortcut(QKeySequence::Save);
    m_save->setEnabled(false);
    // The module hides its scan button and leaves offering a scan to the host.
    m_offer_scan = file->addAction(QStringLiteral("Offer game s&canning"), this,
                                   [this](bool on) { set_scan_offered(on); });
    m_offer_scan->setCheckable(true);
    m_unload = file->addAction(QStringLiteral("&Unload module"), this, &main_window_c::unload_module);
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu *language = menuBar()->addMenu(QStringLiteral("&Language"));
    m_languages = new QActionGroup(this);
    m_languages->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const QMap<int, QString> languages = m_host.languages();
    for (auto it = languages.cbegin(); it != languages.cend(); ++it) {
        QAction *action = language->addAction(it.value());
        action->setCheckable(true);
        action->setData(it.key());
        m_languages->addAction(action);
        const int id = it.key();
        // Switching is for this session only; nothing is stored.
        connect(action, &QAction::triggered, this, [this, id] { m_host.set_language(id); });
    }

    // Stand-ins for what the real installation reports about the phones.
    m_host_events = menuBar()->addMenu(QStringLiteral("&Host events"));
    m_host_events->addAction(QStringLiteral("Paired clients changed (26)"), this,
                             [this] { m_host.send_host_event(host_event_clients_changed); });
    m_host_events->addAction(QStringLiteral("Pairing request (27)"), this,
                             [this] { m_host.send_host_event(host_event_pairing_requested); });
    m_host_events->setEnabled(false);

    build_phone_menu();

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_log_dock->toggleViewAction());
}

void main_window_c::build_phone_menu()
{
    // Plays the phones and the program that keeps their file; only while the host keeps it.
    m_phones = menuBar()->addMenu(QStringLiteral("&Phones"));
    connect(m_phones, &QMenu::aboutToShow, this, &main_window_c::fill_phone_menu);
    fill_phone_menu();
}

void main_window_c::fill_phone_menu()
{
    m_phones->clear();
    client_store_keeper_c *store = m_host.client_store();
    if (store == nullptr) {
        m_phones->addAction(QStringLiteral("No paired-client file kept"))->setEnabled(false);
        return;
    }
    m_phones->addAction(QStringLiteral("New phone asks to pair"), this, [this, store] {
        static const char *const names[] = {"OnePlus 11", "Xperia 5 V", "Moto g84", "Nothing Phone (2)"};
        const QString name = QString::fromUtf8(names[m_phones_asked++ % std::size(names)]);
        store->add_pairing_request(name, QStringLiteral("Android phone"));
    });
    m_phones->addSeparator();
    const QList<client_store_keeper_c::client_t> clients = store->clients();
    for (const client_store_keeper_c::client_t &client : clients) {
        QAction *action = m_phones->addAction(client.name + QStringLiteral(" connected"));
        action->setCheckable(true);
        action->setChecked(client.connected);
        connect(action, &QAction::triggered, this,
                [store, id = client.id](bool connected) { store->set_connected(id, connected); });
    }
    if (clients.isEmpty())
        m_phones->addAction(QStringLiteral("No phones known"))->setEnabled(false);
    m_phones->addSeparator();
    QAction *seed = m_phones->addAction(QStringLiteral("Seed demo phones"), store,
                                        &client_store_keeper_c::seed_demo_phones);
    seed->setEnabled(!store->exists());
    QAction *clear =
        m_phones->addAction(QStringLiteral("Delete the file"), store, &client_store_keeper_c::clear);
    clear->setEnabled(store->exists());
}

void main_window_c::build_log_panel()
{
    m_log_view = new QPlainTextEdit;
    m_log_view->setObjectName(QStringLiteral("log_view"));
    m_log_view->setAccessibleName(QStringLiteral("Host log"));
    m_log_view->setReadOnly(true);
    m_log_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log_view->setMaximumBlockCount(10000);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    m_log_view->setFont(mono);

    m_log_dock = new QDockWidget(QStringLiteral("HOST LOG"), this);
    m_log_dock->setObjectName(QStringLiteral("log_dock"));
    m_log_dock->setAccessibleName(QStringLiteral("Host log panel"));
    m_log_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                            QDockWidget::DockWidgetFloatable);
    m_log_view->setMinimumHeight(150);
    m_log_dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
    m_log_dock->setWidget(m_log_view);
    addDockWidget(Qt::BottomDockWidgetArea, m_log_dock);
}

QString main_window_c::log_text() const
{
    return m_log_view->toPlainText();
}

void main_window_c::set_page_hint(const QString &hint)
{
    m_page_hint = hint;
    m_page_container->update();
}

bool main_window_c::load_module(const QString &file_path)
{
    QString error;
    const bool loaded = m_host.load_module(file_path, &error);
    set_page_hint(loaded ? QStringLiteral("Module loaded\nIts product pages open here.")
                         : QStringLiteral("No module loaded\n") + error);
    return loaded;
}

void main_window_c::choose_module()
{
    const QString start =
        m_host.module_loaded() ? m_host.module_path() : QCoreApplication::applicationDirPath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load module"), start,
                                                      QStringLiteral("Modules (*.so);;All files (*)"));
    if (path.isEmpty())
        return;
    unload_module();
    load_module(path);
}

void main_window_c::unload_module()
{
    if (!m_host.module_loaded())
        return;
    // Unloading must not lose the user's edits; the host itself never saves on unload.
    if (!m_host.kernels().isEmpty())
        m_host.save_quick_launch_lists();
    m_host.unload_module();
    set_page_hint(QStringLiteral("No module loaded\nFile > Load module... loads one."));
}

void main_window_c::append_log(const QString &source, const QString &line)
{
    const QString entry = source.leftJustified(6) + QStringLiteral("  ") + line;
    const QString time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    if (entry == m_last_entry && m_log_view->document()->blockCount() > 0 &&
        !m_log_view->document()->lastBlock().text().isEmpty()) {
        // Forms ask for the control centre once per text; one line per burst is enough.
        ++m_repeats;
        QTextCursor cursor(m_log_view->document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(time + QStringLiteral("  ") + entry + QStringLiteral("  (x%1)").arg(m_repeats));
        return;
    }
    m_last_entry = entry;
    m_repeats = 1;
    m_log_view->appendPlainText(time + QStringLiteral("  ") + entry);
}

void main_window_c::closeEvent(QCloseEvent *event)
{
    // The host's own unload_module does not save, so a quit after this saves nothing twice.
    if (!m_host.kernels().isEmpty())
        m_host.save_quick_launch_lists();
    // The kernels end with the window, and with them every dialog the module has
    // open: one left showing would keep the application from quitting.
    m_host.set_page_container(nullptr);
    QMainWindow::closeEvent(event);
}

bool main_window_c::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page_container && event->type() == QEvent::Paint)
        paint_page_hint();
    return QMainWindow::eventFilter(watched, event);
}

void main_window_c::paint_page_hint()
{
    if (m_page_hint.isEmpty())
        return;
    const QList<QWidget *> children =
        m_page_container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget *child : children) {
        if (child->isVisible())
            return;
    }
    // First line as a heading, the rest as its explanation.
    const int split = m_page_hint.indexOf(QLatin1Char('\n'));
    const QString heading = m_page_hint.left(split);
    const QString detail = split < 0 ? QString() : m_page_hint.mid(split + 1);
    const QRect area = m_page_container->rect().adjusted(60, 0, -60, 0);
    const int middle = area.center().y();

    QPainter painter(m_page_container);
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
    const QList<QAction *> actions = m_languages->actions();
    for (QAction *action : actions)
        action->setChecked(action->data().toInt() == language);
}

void main_window_c::update_status()
{
    const QString module = m_host.module_loaded() ? QStringLiteral("Module: ") + m_host.module_path()
                                                  : QStringLiteral("No module loaded");
    const QString language = m_host.languages().value(m_host.language(), QString::number(m_host.language()));
    m_status->setText(module + QStringLiteral("   |   Language: ") + language);
    m_unload->setEnabled(m_host.module_loaded());
}
