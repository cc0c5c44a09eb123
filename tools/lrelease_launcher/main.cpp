// lrelease.exe: runs Qt's lrelease with the same arguments, on the same standard
// output and error, and ends with its exit code.
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QProcess lrelease;
    // The caller reads the error output for its log; the child writes to ours directly.
    lrelease.setProcessChannelMode(QProcess::ForwardedChannels);
    lrelease.setInputChannelMode(QProcess::ForwardedInputChannel);
    lrelease.start(QStringLiteral(QT_LRELEASE), QCoreApplication::arguments().mid(1));
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
