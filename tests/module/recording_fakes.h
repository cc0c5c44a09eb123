// Small host-side objects for kernel and page tests that record what the module
// calls on them, in order, into a shared journal; and a reader of what it logged.
#ifndef VORLA_TESTS_RECORDING_FAKES_H
#define VORLA_TESTS_RECORDING_FAKES_H

#include "common/clog.h"
#include "module/host_interfaces.h"

#include <QFileInfo>
#include <QStringList>

// The texts logged since mark(). The log keeps its file open, and on Windows it
// appends at its own position, so the file is read from an offset, never cut.
class log_reader_c
{
public:
    void mark() { start = QFileInfo(module_log().file_name()).size(); }
    // A message is a time stamp, its text and an empty line.
    QStringList texts() const
    {
        QFile log(module_log().file_name());
        QStringList texts;
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text) || !log.seek(start))
            return texts;
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
        for (int i = 1; i < lines.size(); i += 3)
            texts.append(lines.at(i));
        return texts;
    }

private:
    qint64 start = 0;
};

class recording_client_c final : public kernel_client_i
{
public:
    explicit recording_client_c(QStringList *journal) : journal(journal) {}

    void *query_interface(const interface_id_t *id) override
    {
        return same_interface_id(id, iid_interface_i) ? this : nullptr;
    }
    void release() override {}
    void on_kernel_message(product_kernel_i *, int code, QString *payload) override
    {
        journal->append(QStringLiteral("message %1 %2").arg(code).arg(payload ? *payload : QString()));
    }
    void reserved_client_3() override {}
    void reserved_client_4() override {}
    void reserved_client_5() override {}
    void reserved_client_6() override {}
    void reserved_client_7() override {}
    void reserved_client_8() override {}
    product_kernel_i *get_active_kernel() override { return active; }
    void reserved_client_10() override {}
    void reserved_client_11() override {}
    void reserved_client_12() override {}
    void reserved_client_13() override {}
    void on_kernel_dialog_pending(product_kernel_i *) override { journal->append(QStringLiteral("pending")); }

    product_kernel_i *active = nullptr;

private:
    QStringList *journal;
};

// A page that only records; the kernel owns it and ends it with release().
class recording_page_c final : public product_function_page_i
{
public:
    recording_page_c(int id, QStringList *journal) : id(id), journal(journal) {}

    void *query_interface(const interface_id_t *asked) override
    {
        return same_interface_id(asked, iid_interface_i) ||
                       same_interface_id(asked, iid_product_function_page_i)
                   ? this
                   : nullptr;
    }
    void release() override
    {
        note("release");
        delete this;
    }
    void initialise() override { note("initialise"); }
    int get_page_id() override { return id; }
    int reserved_page_4(int) override { return 0; }
    void set_container(QWidget *) override { note("set_container"); }
    void reserved_page_6() override {}
    void reserved_page_7(int, int) override {}
    void reserved_page_8(int) override {}
    QPushButton *create_tab_button() override { return nullptr; }
    void show() override { note("show"); }
    void hide() override { note("hide"); }

private:
    void note(const char *what) { journal->append(QStringLiteral("%1 %2").arg(id).arg(QLatin1String(what))); }

    const int id;
    QStringList *journal;
};

#endif
