// Interfaces the module implements and hands to the host.
// Slot numbers are given in the comments; the host calls by position.
#ifndef VORLA_MODULE_INTERFACES_H
#define VORLA_MODULE_INTERFACES_H

#include "interface_i.h"

#include <QString>
#include <QStringList>

class QBuffer;
class QPushButton;
class QWidget;
class kernel_client_i;
class language_service_i;
class product_function_page_i;

// Product id under which the module registers its kernel factory.
inline constexpr int vorla_connect_product_id = 266;

// {9314159C-6849-49EE-8367-1E5F76EBF850}
inline constexpr interface_id_t iid_product_kernel_i = {
    0x9314159C, 0x6849, 0x49EE, {0x83, 0x67, 0x1E, 0x5F, 0x76, 0xEB, 0xF8, 0x50}};
// {6026A654-3A3C-4C6A-9F0E-93927DE0D13C}
inline constexpr interface_id_t iid_listener_i = {
    0x6026A654, 0x3A3C, 0x4C6A, {0x9F, 0x0E, 0x93, 0x92, 0x7D, 0xE0, 0xD1, 0x3C}};
// {B6147E46-8555-4443-9EE5-0073A1BB6EC5}
inline constexpr interface_id_t iid_language_listener_i = {
    0xB6147E46, 0x8555, 0x4443, {0x9E, 0xE5, 0x00, 0x73, 0xA1, 0xBB, 0x6E, 0xC5}};
// {C44B54D3-D708-4D79-BABD-DFC7BE57EC90}
inline constexpr interface_id_t iid_ctrl_center_listener_i = {
    0xC44B54D3, 0xD708, 0x4D79, {0xBA, 0xBD, 0xDF, 0xC7, 0xBE, 0x57, 0xEC, 0x90}};
// {BA0CF2FD-9378-4EB3-B484-855B7BC0CFF8}
inline constexpr interface_id_t iid_product_kernel_listener_i = {
    0xBA0CF2FD, 0x9378, 0x4EB3, {0xB4, 0x84, 0x85, 0x5B, 0x7B, 0xC0, 0xCF, 0xF8}};
// {41B40BB3-53E4-4719-A89A-E6574805BFA3}
inline constexpr interface_id_t iid_product_function_page_i = {
    0x41B40BB3, 0x53E4, 0x4719, {0xA8, 0x9A, 0xE6, 0x57, 0x48, 0x05, 0xBF, 0xA3}};
// {CCCEE951-58C1-433F-8B52-FB21A4E228DB}
inline constexpr interface_id_t iid_reset_to_default_fm_client_i = {
    0xCCCEE951, 0x58C1, 0x433F, {0x8B, 0x52, 0xFB, 0x21, 0xA4, 0xE2, 0x28, 0xDB}};
// {83F0AA99-02D1-4294-B7FD-840D11334441}
inline constexpr interface_id_t iid_generic_popup_fm_client_i = {
    0x83F0AA99, 0x02D1, 0x4294, {0xB7, 0xFD, 0x84, 0x0D, 0x11, 0x33, 0x44, 0x41}};
// {1183F588-D184-44C8-9931-CE3260756905}
inline constexpr interface_id_t iid_progress_i = {
    0x1183F588, 0xD184, 0x44C8, {0x99, 0x31, 0xCE, 0x32, 0x60, 0x75, 0x69, 0x05}};
// {560CD17F-9571-4CAC-900F-2543A7275DCB}
inline constexpr interface_id_t iid_program_scanner_tool_client_i = {
    0x560CD17F, 0x9571, 0x4CAC, {0x90, 0x0F, 0x25, 0x43, 0xA7, 0x27, 0x5D, 0xCB}};

// Codes of the host's event table that the module acts on; they arrive in the
// record of on_host_event.
enum host_event_code_t : qint32
{
    host_event_clients_changed = 26,   // the paired-client file changed
    host_event_pairing_requested = 27, // a phone waits for the user's answer
};
// Where the code sits in that record: a qint32 in host byte order at this byte
// offset, which a reader cannot assume to be aligned.
inline constexpr int host_event_code_offset = 2;

// Codes of the host's kernel message table, sent through on_kernel_message.
enum kernel_message_code_t : int
{
    kernel_message_lists_saved = 3,   // the payload is empty
    kernel_message_shared_block = 12, // the payload is the key of a client command block
};

// The product kernel. Slots the module gives no meaning still exist with their
// argument counts so that the host's calls land on the right entries.
// The host owns each kernel the factory makes and ends it with release(), which
// also releases its pages, closes its dialogs and detaches its shared segments.
class product_kernel_i : public interface_i
{
public:
    // Both stay the host's and are kept until release(): the host releases the
    // kernel before either goes. The kernel makes its pages here.
    /*  2 */ virtual void initialise(kernel_client_i *client, QWidget *container) = 0;
    // The client given to initialise, still the host's; null before it.
    /*  3 */ virtual kernel_client_i *get_client() = 0;
    /*  4 */ virtual int reserved_4() = 0;
    /*  5 */ virtual int reserved_5() = 0;
    /*  6 */ virtual int reserved_6() = 0;
    // Pages are lent: they stay the kernel's until its release(), and the host
    // never releases one. Null for an id the kernel has no page for.
    /*  7 */ virtual product_function_page_i *get_page(int id) = 0;
    /*  8 */ virtual int page_count() = 0;
    // Lent like get_page's; index from 0 to page_count() - 1.
    /*  9 */ virtual product_function_page_i *page_at(int index) = 0;
    /* 10 */ virtual void show_page(int id) = 0;
    /* 11 */ virtual void hide_page() = 0;
    /* 12 */ virtual void reserved_12() = 0;
    /* 13 */ virtual int reserved_13() = 0;
    /* 14 */ virtual int reserved_14() = 0;
    /* 15 */ virtual int reserved_15() = 0;
    /* 16 */ virtual int reserved_16() = 0;
    /* 17 */ virtual void reserved_17(int) = 0;
    /* 18 */ virtual void reserved_18() = 0;
    /* 19 */ virtual void reserved_19(int) = 0;
    /* 20 */ virtual void reserved_20(int) = 0;
    /* 21 */ virtual void reserved_21(int) = 0;
    /* 22 */ virtual void reserved_22(int, int) = 0;
    /* 23 */ virtual void reserved_23(int, int) = 0;
    /* 24 */ virtual void reserved_24(int, int, int) = 0;
    /* 25 */ virtual void reserved_25(int, int) = 0;
    /* 26 */ virtual void reserved_26(int) = 0;
    /* 27 */ virtual void reserved_27(int) = 0;
    /* 28 */ virtual QString reserved_28(int) = 0;
    /* 29 */ virtual int reserved_29(int) = 0;
    /* 30 */ virtual QString reserved_30(int, int) = 0;
    /* 31 */ virtual int reserved_31(int) = 0;
    /* 32 */ virtual int reserved_32() = 0;
    /* 33 */ virtual int reserved_33(int) = 0;
    /* 34 */ virtual void reserved_34(int, int) = 0;
    /* 35 */ virtual void reserved_35(int, int) = 0;
    /* 36 */ virtual int reserved_36() = 0;
    /* 37 */ virtual void reserved_37(int) = 0;
    /* 38 */ virtual void reserved_38(int) = 0;
    /* 39 */ virtual int reserved_39() = 0;
    /* 40 */ virtual int reserved_40(int) = 0;
    /* 41 */ virtual int save_quick_launch_lists() = 0;
    // Passes the message to the client's on_kernel_message; the payload is
    // borrowed for the call only.
    /* 42 */ virtual void post_message(int code, QString *payload) = 0;
    // The record is the host's, borrowed for the call; the code sits at
    // host_event_code_offset. May run a modal dialog, and the host may release
    // the kernel before it returns.
    /* 43 */ virtual void on_host_event(const void *record) = 0;
    // The buffer is borrowed for the call; its whole data is copied into a new
    // segment whose key is returned (empty when no key is free). The kernel
    // keeps the segment for about 60 s (until a later share_data after that, or
    // its release); the host reads it within that time.
    /* 44 */ virtual QString share_data(QBuffer *data) = 0;
    /* 45 */ virtual int reserved_45(int, int) = 0;
    /* 46, 47: destructor pair; the host never calls them directly, release() does. */
    virtual ~product_kernel_i() = default;
};

// The factory the module registers with the host; each call makes a new kernel
// that the host owns and ends with release().
using kernel_factory_t = product_kernel_i *(*)();

class listener_i : public interface_i
{
public:
    /* 2 */ virtual void listener_notify(int) = 0;
    /* 3 */ virtual void listener_refresh() = 0;

protected:
    ~listener_i() = default;
};

class language_listener_i : public interface_i
{
public:
    // The service is the host's, borrowed for the call.
    /* 2 */ virtual void language_changed(language_service_i *service, int) = 0;

protected:
    ~language_listener_i() = default;
};

class ctrl_center_listener_i : public interface_i
{
public:
    /* 2 */ virtual void ctrl_center_notify(int) = 0;
    /* 3 */ virtual void active_kernel_changed(int) = 0;
    /* 4 */ virtual void ctrl_center_notify_more(int) = 0;

protected:
    ~ctrl_center_listener_i() = default;
};

class product_kernel_listener_i : public interface_i
{
public:
    /* 2 */ virtual void kernel_notify() = 0;
    /* 3 */ virtual void kernel_notify_more() = 0;
    /* 4 */ virtual void kernel_notify_last() = 0;

protected:
    ~product_kernel_listener_i() = default;
};

// A page belongs to its kernel, which releases it; the host only borrows it.
class product_function_page_i : public interface_i
{
public:
    /*  2 */ virtual void initialise() = 0;
    /*  3 */ virtual int get_page_id() = 0;
    /*  4 */ virtual int reserved_page_4(int) = 0;
    // The container stays the host's; the page keeps it to show its form in.
    // Null keeps the one given before.
    /*  5 */ virtual void set_container(QWidget *container) = 0;
    /*  6 */ virtual void reserved_page_6() = 0;
    /*  7 */ virtual void reserved_page_7(int, int) = 0;
    /*  8 */ virtual void reserved_page_8(int) = 0;
    // A new button without a parent on each call; the caller owns it. The page
    // watches the last one only to keep its text, width and checked state.
    /*  9 */ virtual QPushButton *create_tab_button() = 0;
    // Builds the form in the container; the page owns the form until hide()
    // or its release.
    /* 10 */ virtual void show() = 0;
    /* 11 */ virtual void hide() = 0;

protected:
    ~product_function_page_i() = default;
};

class reset_to_default_fm_client_i : public interface_i
{
public:
    // The answers of the reset popup.
    enum : int
    {
        keep_lists = 0,
        reset_lists = 1
    };
    // The reset popup's one answer to ask_reset: reset_lists or keep_lists.
    /* 2 */ virtual void on_reset_answer(int answer) = 0;

protected:
    ~reset_to_default_fm_client_i() = default;
};

class generic_popup_fm_client_i : public interface_i
{
public:
    // Asked by a popup frame during run_popup, when OK is pressed.
    /* 2 */ virtual bool may_close() = 0;

protected:
    ~generic_popup_fm_client_i() = default;
};

class progress_i : public interface_i
{
public:
    /* 2 */ virtual void set_maximum(quint64 maximum) = 0;
    /* 3 */ virtual void set_value(quint64 value) = 0;
    /* 4 */ virtual void set_bar_style(const QString &style_sheet) = 0;
    /* 5 */ virtual void set_animation_frames(const QStringList &paths) = 0;
    /* 6 */ virtual quint64 maximum() = 0;
    /* 7 */ virtual quint64 value() = 0;
    /* 8 */ virtual QString percent_text() = 0;
    // The component's widget, made on first use. A parent it is put in may
    // delete it, and the next call makes another; release() deletes the one
    // the component still has.
    /* 9 */ virtual QWidget *widget() = 0;

protected:
    ~progress_i() = default;
};

class program_scanner_tool_client_i : public interface_i
{
public:
    // Called on a worker thread of Qt's global pool: reach widgets only by
    // posting events.
    /* 2 */ virtual void on_scan_progress(int step) = 0;
    // These two come on the GUI thread.
    /* 3 */ virtual void on_scan_finished() = 0;
    /* 4 */ virtual void on_scan_cancelled() = 0;

protected:
    ~program_scanner_tool_client_i() = default;
};

#endif
