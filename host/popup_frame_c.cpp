#include "host/popup_frame_c.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The frame's own buttons only (direct children): the content's buttons keep
// the module's looks and sizes.
const char *const frame_style = R"(
QDialog#popup_frame { background: #0b0b0b; border: 1px solid #2a2a2a; }
QLabel#lb_frame_title { color: #bcbcbc; font-size: 14px; font-weight: bold; letter-spacing: 1px;
                        padding: 8px 12px; background: #121212; border-bottom: 1px solid #1f1f1f; }
QDialog#popup_frame > QPushButton { min-width: 90px; min-height: 26px; color: #8a8a8a; background: #161616;
              border: 1px solid #303030; border-radius: 2px; font-size: 13px; }
QDialog#popup_frame > QPushButton:hover, QDialog#popup_frame > QPushButton:focus {
              color: #bcbcbc; border-color: #65c3f7; }
QDialog#popup_frame > QPushButton:pressed { background: #1f2a31; }
)";
} // namespace

popup_frame_c::popup_frame_c(QWidget *parent)
    : QDialog(parent), title_label(new QLabel(this)), ok_button(new QPushButton(QStringLiteral("OK"), this)),
      cancel_button(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("popup_frame"));
    setStyleSheet(QLatin1String(frame_style));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    title_label->setObjectName(QStringLiteral("lb_frame_title"));
    ok_button->setObjectName(QStringLiteral("btn_ok"));
    cancel_button->setObjectName(QStringLiteral("btn_cancel"));
    ok_button->setDefault(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(title_label);
    content_holder = new QVBoxLayout;
    column->addLayout(content_holder, 1);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 8, 12, 12);
    buttons->addStretch(1);
    buttons->addWidget(ok_button);
    buttons->addWidget(cancel_button);
    column->addLayout(buttons);

    connect(ok_button, &QPushButton::clicked, this, &popup_frame_c::on_ok);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}

popup_frame_c::~popup_frame_c()
{
    hand_back_content();
}

void *popup_frame_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_popup_frame_i))
        return static_cast<popup_frame_i *>(this);
    return nullptr;
}

void popup_frame_c::release()
{
    delete this;
}

int popup_frame_c::run_popup(QWidget *content, generic_popup_fm_client_i *client, const QString &title,
                             const QString &, const QString &, int, int)
{
    this->client = client;
    setWindowTitle(title);
    title_label->setText(title);
    if (content != nullptr) {
        this->content = content;
        content_flags = content->windowFlags();
        content_minimum = content->minimumSize();
        // The content's own size is its designed size; a layout would shrink it
        // to what its size hint asks for.
        content->setMinimumSize(content->size().expandedTo(content->minimumSize()));
        content_holder->addWidget(content);
        content->show();
        // A frame whose content is gone has nothing left to ask.
        connect(content, &QObject::destroyed, this, &QDialog::reject);
    }

    // Frames come without a parent; they open over the window the user works in.
    QWidget *over = QApplication::activeWindow();
    // Without a window manager nothing is active; the main window is the first
    // visible window that is not a dialog.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.begin(); over == nullptr && it != windows.end(); ++it)
        if ((*it)->isVisible() && qobject_cast<QDialog *>(*it) == nullptr)
            over = *it;
    if (over != nullptr && over != this) {
        adjustSize();
        move(over->frameGeometry().center() - rect().center());
    }

    QPointer<popup_frame_c> self(this);
    const int result = exec();
    if (self == nullptr)
        return 0;
    this->client = nullptr;
    hand_back_content();
    return result == QDialog::Accepted ? 1 : 0;
}

void popup_frame_c::on_ok()
{
    if (client == nullptr || client->may_close())
        accept();
}

void popup_frame_c::hand_back_content()
{
    if (content == nullptr)
        return;
    disconnect(content, &QObject::destroyed, this, &QDialog::reject);
    content_holder->removeWidget(content);
    content->hide();
    content->setMinimumSize(content_minimum);
    content->setParent(nullptr, content_flags);
    content = nullptr;
}
