#include "host/reset_popup_c.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const char *const reset_style = R"(
QDialog#reset_popup { background: #0b0b0b; border: 1px solid #2a2a2a; }
QLabel#lb_reset_title { color: #bcbcbc; font-size: 14px; font-weight: bold; letter-spacing: 1px;
                        padding: 8px 12px; background: #121212; border-bottom: 1px solid #1f1f1f; }
QLabel#lb_reset_text { color: #8a8a8a; font-size: 13px; padding: 14px 12px 6px 12px; }
QPushButton { min-width: 90px; min-height: 26px; color: #8a8a8a; background: #161616;
              border: 1px solid #303030; border-radius: 2px; font-size: 13px; }
QPushButton:hover, QPushButton:focus { color: #bcbcbc; border-color: #65c3f7; }
QPushButton:pressed { background: #1f2a31; }
)";

QDialog *make_dialog(QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("reset_popup"));
    dialog->setStyleSheet(QLatin1String(reset_style));
    dialog->setWindowFlags(dialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
    dialog->setWindowTitle(QStringLiteral("Reset to default"));

    auto *title = new QLabel(dialog->windowTitle(), dialog);
    title->setObjectName(QStringLiteral("lb_reset_title"));
    auto *text = new QLabel(QStringLiteral("Remove every entry from both quick-launch lists?"), dialog);
    text->setObjectName(QStringLiteral("lb_reset_text"));
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    auto *reset = new QPushButton(QStringLiteral("Reset"), dialog);
    reset->setObjectName(QStringLiteral("btn_reset"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("btn_cancel"));
    // Enter must not wipe the lists: only a deliberate click on Reset does.
    cancel->setDefault(true);
    cancel->setFocus();

    auto *column = new QVBoxLayout(dialog);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(title);
    column->addWidget(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 8, 12, 12);
    buttons->addStretch(1);
    buttons->addWidget(reset);
    buttons->addWidget(cancel);
    column->addLayout(buttons);

    QObject::connect(reset, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return dialog;
}

// Just below the anchor and centred on it, kept inside the anchor's window
// (an anchor at the window's edge would push it half outside) and on its screen.
void place_near(QDialog *dialog, const QWidget *anchor)
{
    dialog->adjustSize();
    const QSize size = dialog->size();
    QPoint at = anchor->mapToGlobal(QPoint((anchor->width() - size.width()) / 2, anchor->height() + 4));
    const QWidget *window = anchor->window();
    const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
    at.setX(qBound(frame.left(), at.x(), qMax(frame.left(), frame.right() - size.width())));
    const QScreen *screen = QGuiApplication::screenAt(anchor->mapToGlobal(anchor->rect().center()));
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() - size.width())));
        at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() - size.height())));
    }
    dialog->move(at);
}
} // namespace

reset_popup_c::~reset_popup_c()
{
    delete open_box;
}

void *reset_popup_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_reset_popup_i))
        return static_cast<reset_popup_i *>(this);
    return nullptr;
}

void reset_popup_c::release()
{
    delete this;
}

void reset_popup_c::ask_reset(QWidget *anchor, reset_to_default_fm_client_i *client)
{
    if (client == nullptr)
        return;
    // One box at a time; a second question while the first is open was never confirmed.
    if (open_box != nullptr) {
        client->on_reset_answer(reset_to_default_fm_client_i::keep_lists);
        return;
    }
    QPointer<QDialog> dialog = make_dialog(anchor != nullptr ? anchor->window() : nullptr);
    open_box = dialog;
    if (anchor != nullptr)
        place_near(dialog, anchor);
    const int result = dialog->exec();
    // Gone with its window, or with this component: nobody is left to answer.
    if (dialog == nullptr)
        return;
    delete dialog;
    client->on_reset_answer(result == QDialog::Accepted ? reset_to_default_fm_client_i::reset_lists
                                                        : reset_to_default_fm_client_i::keep_lists);
}
