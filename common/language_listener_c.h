// Holds the module's one Qt translator and keeps it on the host's language.
#ifndef VORLA_LANGUAGE_LISTENER_C_H
#define VORLA_LANGUAGE_LISTENER_C_H

#include "module/host_interfaces.h"

#include <QMap>
#include <QString>
#include <QTranslator>

class language_listener_c final : public listener_i, public language_listener_i
{
public:
    language_listener_c();

    void *query_interface(const interface_id_t *id) override;
    void release() override;
    void listener_notify(int) override {}
    void listener_refresh() override {}
    virtual ~language_listener_c();
    void language_changed(language_service_i *service, int) override;

    // Keeps the host's language service and registers with the host's listener
    // registry; detach undoes both. The control centre is not owned.
    void attach(ctrl_center_i *ctrl_center);
    void detach(ctrl_center_i *ctrl_center);

    void set_translation_file(int language, const QString &qm_path);
    void reload_translation();

    // A translation source lying beside a compiled file is compiled first, so that
    // translators can drop a fresh .ts into the installation.
    static void compile_translation_source(const QString &qm_path);

    language_service_i *language_service() const { return service; }
    QString translation_file(int language) const { return files.value(language); }
    const QTranslator &current_translator() const { return translator; }

private:
    language_service_i *service = nullptr;
    QMap<int, QString> files;
    QTranslator translator;
};

#endif
