// Each test loads its own copy of the module file, so that the module's static
// state (host pointer, log, listener) starts fresh as on a real first load.
#ifndef VORLA_TESTS_MODULE_COPY_H
#define VORLA_TESTS_MODULE_COPY_H

#include <QFile>
#include <QString>
#include <QTemporaryDir>

inline QString fresh_module_copy(const QTemporaryDir &dir)
{
    static int copies = 0;
    const QString path = dir.filePath(QStringLiteral("libvorla_connect_%1.so").arg(++copies));
    if (!QFile::copy(QStringLiteral(VORLA_MODULE_FILE), path))
        return QString();
    return path;
}

#endif
