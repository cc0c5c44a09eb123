// Interfaces the host application offers to the module.
// Slot numbers are given in the comments; the module calls by position. Slots the
// module never calls keep their place with a reserved entry.
#ifndef VORLA_HOST_INTERFACES_H
#define VORLA_HOST_INTERFACES_H

#include "module_interfaces.h"

class QWidget;
class ctrl_center_i;
class text_provider_i;

// {6FD16F73-26E6-4534-AA4A-C68176A6549F}
inline constexpr interface_id_t iid_listener_registry_i = {
    0x6FD16F73, 0x26E6, 0x4534, {0xAA, 0x4A, 0xC6, 0x81, 0x76, 0xA6, 0x54, 0x9F}};
// {0AEA2014-DD59-461D-9A41-E3E7C5BF25D7}
inline constexpr interface_id_t iid_language_service_i = {
    0x0AEA2014, 0xDD59, 0x461D, {0x9A, 0x41, 0xE3, 0xE7, 0xC5, 0xBF, 0x25, 0xD7}};
// {09C86065-94B3-48E9-811E-907F70FC340A}
inline constexpr interface_id_t iid_reset_popup_i = {
    0x09C86065, 0x94B3, 0x48E9, {0x81, 0x1E, 0x90, 0x7F, 0x70, 0xFC, 0x34, 0x0A}};
// {DFFD37BD-72AF-46A6-BEF6-953528DE912D}
inline constexpr interface_id_t iid_info_badge_i = {
    0xDFFD37BD, 0x72AF, 0x46A6, {0xBE, 0xF6, 0x95, 0x35, 0x28, 0xDE, 0x91, 0x2D}};
// {E925189D-265A-422A-B5CA-29234A8125B4}
inline constexpr interface_id_t iid_popup_frame_i = {
    0xE925189D, 0x265A, 0x422A, {0xB5, 0xCA, 0x29, 0x23, 0x4A, 0x81, 0x25, 0xB4}};

// Kinds of the host's components, for module_host_i::create_component.
enum component_kind_t : int
{
    component_info_badge = 0x1601,
    component_popup_frame = 0x1B01,
    component_reset_popup = 0x1E01,
    component_progress = 0x3601,
};

// The object given to init_module; the host's, valid until exit_module returns.
class module_host_i : public interface_i
{
public:
    /* 2 */ virtual void reserved_host_2() = 0;
    // The host's, lent for as long as the host lives; may be null.
    /* 3 */ virtual ctrl_center_i *get_ctrl_center() = 0;
    // The host makes kernels with the factory until it is unregistered; it owns
    // each one and releases all of them before exit_module.
    /* 4 */ virtual void register_kernel_factory(kernel_factory_t factory, int product_id) = 0;
    /* 5 */ virtual void unregister_kernel_factory(int product_id) = 0;
    // Returns the asked face of a new component that the caller owns and ends with
    // release(), or null when the host has no component of that kind.
    /* 6 */ virtual void *create_component(int kind, const interface_id_t *id) = 0;

protected:
    ~module_host_i() = default;
};

class ctrl_center_i : public interface_i
{
public:
    /*  2 */ virtual void reserved_center_2() = 0;
    /*  3 */ virtual void reserved_center_3() = 0;
    /*  4 */ virtual void reserved_center_4() = 0;
    /*  5 */ virtual void reserved_center_5() = 0;
    /*  6 */ virtual void reserved_center_6() = 0;
    // The host's, lent; may be null.
    /*  7 */ virtual text_provider_i *get_text_provider() = 0;
    /*  8 */ virtual void reserved_center_8() = 0;
    /*  9 */ virtual void reserved_center_9() = 0;
    /* 10 */ virtual void reserved_center_10() = 0;
    /* 11 */ virtual void reserved_center_11() = 0;
    /* 12 */ virtual void reserved_center_12() = 0;
    /* 13 */ virtual void reserved_center_13() = 0;
    /* 14 */ virtual void reserved_center_14() = 0;
    /* 15 */ virtual void reserved_center_15() = 0;
    // (1, 1, 0) before a modal dialog runs, (0, 1, 0) after it.
    /* 16 */ virtual void notify_modal_dialog(int modal, int a, int b) = 0;

protected:
    ~ctrl_center_i() = default;
};

class listener_registry_i : public interface_i
{
public:
    // The listener stays its owner's; the registry only borrows it, so the owner
    // removes it before it dies. Listeners are called on the GUI thread.
    /* 2 */ virtual void add_listener(listener_i *listener) = 0;
    /* 3 */ virtual void remove_listener(listener_i *listener) = 0;

protected:
    ~listener_registry_i() = default;
};

class language_service_i : public interface_i
{
public:
    /* 2 */ virtual int get_language() = 0;

protected:
    ~language_service_i() = default;
};

class text_provider_i : public interface_i
{
public:
    /* 2 */ virtual QString get_text(int id, int variant) = 0;

protected:
    ~text_provider_i() = default;
};

// The host's object given to product_kernel_i::initialise.
class kernel_client_i : public interface_i
{
public:
    // The kernel is the sender. The payload is borrowed for the call: the host
    // copies what it keeps, and reads a shared block's segment while the kernel
    // still keeps it.
    /*  2 */ virtual void on_kernel_message(product_kernel_i *kernel, int code, QString *payload) = 0;
    /*  3 */ virtual void reserved_client_3() = 0;
    /*  4 */ virtual void reserved_client_4() = 0;
    /*  5 */ virtual void reserved_client_5() = 0;
    /*  6 */ virtual void reserved_client_6() = 0;
    /*  7 */ virtual void reserved_client_7() = 0;
    /*  8 */ virtual void reserved_client_8() = 0;
    // The kernel whose page the host shows, lent; null when none.
    /*  9 */ virtual product_kernel_i *get_active_kernel() = 0;
    /* 10 */ virtual void reserved_client_10() = 0;
    /* 11 */ virtual void reserved_client_11() = 0;
    /* 12 */ virtual void reserved_client_12() = 0;
    /* 13 */ virtual void reserved_client_13() = 0;
    // The kernel is about to run a modal dialog; the pointer names the sender.
    /* 14 */ virtual void on_kernel_dialog_pending(product_kernel_i *kernel) = 0;

protected:
    ~kernel_client_i() = default;
};

// Made by create_component(component_reset_popup): asks the user to confirm a reset and answers the client
// with on_reset_answer(reset_lists) or on_reset_answer(keep_lists).
class reset_popup_i : public interface_i
{
public:
    // Both stay the caller's. The anchor places the box; the client is borrowed
    // until its answer, which a box that dies with its window or a component
    // released while it runs never gives. Runs a nested event loop.
    /* 2 */ virtual void ask_reset(QWidget *anchor, reset_to_default_fm_client_i *client) = 0;

protected:
    ~reset_popup_i() = default;
};

// Made by create_component(component_info_badge): a small "i" badge with a title and a text.
class info_badge_i : public interface_i
{
public:
    // The holder owns the badge widget from then on; null takes it out of view.
    // Title and text stay with the component until its release().
    /* 2 */ virtual void place_in(QWidget *holder) = 0;
    /* 3 */ virtual void set_title(const QString &title) = 0;
    /* 4 */ virtual void set_text(const QString &text) = 0;

protected:
    ~info_badge_i() = default;
};

// Made by create_component(component_popup_frame): a modal frame around the given content; returns 1 for OK.
class popup_frame_i : public interface_i
{
public:
    // Content and client stay the caller's, borrowed for the run: the content
    // comes back without a parent before the call returns. Runs a nested event
    // loop, during which the frame may die (the result is then 0).
    /* 2 */ virtual int run_popup(QWidget *content, generic_popup_fm_client_i *client, const QString &title,
                                  const QString &text_1, const QString &text_2, int option_1,
                                  int option_2) = 0;

protected:
    ~popup_frame_i() = default;
};

#endif
