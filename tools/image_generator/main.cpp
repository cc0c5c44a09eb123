// Draws the compiled-in pictures of the module and of the host and writes
// them as PNG files; the output is committed, the build never runs this.
#include "drawing.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: image_generator <module_graphics_dir> <host_graphics_dir> "
                         "[--contact-sheet <file.png>]\n");
    return 2;
}

bool is_opaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

bool write_png(const QImage &image, const QString &file)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        std::fprintf(stderr, "cannot create the folder of %s\n", qPrintable(file));
        return false;
    }
    // Opaque pictures go out without an alpha channel; the rest unpremultiplied,
    // as PNG stores them.
    const QImage out = image.convertToFormat(is_opaque(image) ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    QImageWriter writer(file, "png");
    writer.setQuality(0); // the PNG writer maps quality 0 to the strongest compression
    if (!writer.write(out)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool write_all(const image_list &images, const QString &folder)
{
    for (const generated_image &entry : images)
        if (!write_png(entry.image, folder + QLatin1Char('/') + entry.path))
            return false;
    std::printf("%d images written under %s\n", images.size(), qPrintable(folder));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Nothing is shown. The minimal platform with its font database is enough
    // for painting and for the contact sheet's text, and unlike the offscreen
    // one it leaves nothing behind for the leak checker of sanitizer builds.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
    QGuiApplication app(argc, argv);

    QStringList arguments = app.arguments().mid(1);
    QString sheet_file;
    const int sheet_option = arguments.indexOf(QStringLiteral("--contact-sheet"));
    if (sheet_option >= 0) {
        if (sheet_option + 1 >= arguments.size())
            return usage();
        sheet_file = arguments.at(sheet_option + 1);
        arguments.erase(arguments.begin() + sheet_option, arguments.begin() + sheet_option + 2);
    }
    if (arguments.size() != 2)
        return usage();

    const image_list module = module_images();
    const image_list host = host_images();
    if (!write_all(module, arguments.at(0)) || !write_all(host, arguments.at(1)))
        return 1;
    if (!sheet_file.isEmpty()) {
        if (!write_png(contact_sheet(module, host), sheet_file))
            return 1;
        std::printf("contact sheet written to %s\n", qPrintable(sheet_file));
    }
    return 0;
}
