// lrelease.exe: runs Qt's lrelease with the same arguments, on the same standard
// output and error, and ends with its exit code.
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>

namespace {
// In the Windows build Qt's lrelease is the build machine's own program, which
// Wine starts as it is; it reads Unix paths, so drive paths are translated by
// Wine's own function. Elsewhere arguments pass unchanged.
QStringList host_arguments(QStringList arguments)
{
    using unix_name_t = char *(__cdecl *)(const wchar_t *);
    const auto unix_name = reinterpret_cast<unix_name_t>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unix_name == nullptr)
        return arguments;
    for (QString &argument : arguments) {
        if (argument.size() < 3 || argument.at(1) != QLatin1Char(':'))
            continue;
        const std::wstring native = argument.toStdWString();
        if (char *name = unix_name(native.c_str())) {
            argument = QString::fromLocal8Bit(name);
            HeapFree(GetProcessHeap(), 0, name);
        }
    }
    return arguments;
}
} // namespace
#else
static QStringList host_arguments(const QStringList &arguments)
{
    return arguments;
}
#endif

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QProcess lrelease;
    // The caller reads the error output for its log; the child writes to ours directly.
    lrelease.setProcessChannelMode(QProcess::ForwardedChannels);
    lrelease.setInputChannelMode(QProcess::ForwardedInputChannel);
    lrelease.start(QStringLiteral(QT_LRELEASE), host_arguments(QCoreApplication::arguments().mid(1)));
    if (!lrelease.waitForFinished(-1)) {
        std::fprintf(stderr, "lrelease.exe: cannot run %s: %s\n", QT_LRELEASE,
                     qPrintable(lrelease.errorString()));
        return 127;
    }
    if (lrelease.exitStatus() != QProcess::NormalExit) {
        std::fprintf(stderr, "lrelease.exe: %s crashed\n", QT_LRELEASE);
        return 128;
    }
    return lrelease.exitCode();
}
