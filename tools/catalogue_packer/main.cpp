// Packs the readable product catalogue into the compressed form the
// installation ships: qCompress framing (4-byte big-endian length, then zlib).
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: catalogue_packer <source.xml> <settings.xml>\n";
        return 2;
    }

    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args.at(1) << ": " << source.errorString() << '\n';
        return 1;
    }
    const QByteArray xml = source.readAll();

    // A broken source would ship as an empty catalogue; refuse it here instead.
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError()) {
        err << args.at(1) << ':' << reader.lineNumber() << ": " << reader.errorString() << '\n';
        return 1;
    }

    QSaveFile target(args.at(2));
    if (!target.open(QIODevice::WriteOnly) || target.write(qCompress(xml, 9)) < 0 || !target.commit()) {
        err << "cannot write " << args.at(2) << ": " << target.errorString() << '\n';
        return 1;
    }
    return 0;
}
