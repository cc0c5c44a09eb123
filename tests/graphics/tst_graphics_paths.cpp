// A picture path that does not resolve fails silently at run time: the
// widget just shows nothing. These checks catch that at test time.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QString source_root = QStringLiteral(VORLA_SOURCE_ROOT);

// Paths the code completes at run time: the names it fills in, by the part of
// the path after "graphics/".
QStringList names_for_pattern(const QString &pattern)
{
    if (pattern == QLatin1String("page_tab/%1.png"))
        return {QStringLiteral("tab_normal"), QStringLiteral("tab_hover"), QStringLiteral("tab_down")};
    if (pattern == QLatin1String("common/progress/%1.png")) {
        QStringList frames;
        for (int n = 0; n <= 10; ++n)
            frames << QString::number(n);
        return frames;
    }
    return {};
}

// The qrc files of the module and of the host, relative to the source root.
const QStringList resource_lists = {QStringLiteral("resources/graphics/graphics.qrc"),
                                    QStringLiteral("host/resources/host_graphics.qrc")};

struct listed_file
{
    QString resource; // ":/graphics/..."
    QString file;     // absolute path on disk
};

QVector<listed_file> read_resource_list(const QString &qrc)
{
    QVector<listed_file> files;
    QFile in(source_root + QLatin1Char('/') + qrc);
    if (!in.open(QIODevice::ReadOnly))
        return files;
    const QString folder = QFileInfo(in).absolutePath();
    QXmlStreamReader xml(&in);
    QString prefix;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("qresource")) {
            prefix = xml.attributes().value(QLatin1String("prefix")).toString();
        } else if (xml.name() == QLatin1String("file")) {
            const QString alias = xml.attributes().value(QLatin1String("alias")).toString();
            const QString file = xml.readElementText();
            const QString name = alias.isEmpty() ? file : alias;
            files.append({QDir::cleanPath(QLatin1Char(':') + prefix + QLatin1Char('/') + name),
                          QDir::cleanPath(folder + QLatin1Char('/') + file)});
        }
    }
    return files;
}

} // namespace

class tst_graphics_paths : public QObject
{
    Q_OBJECT

private slots:
    void referenced_paths_resolve_data();
    void referenced_paths_resolve();
    void listed_images_load_data();
    void listed_images_load();
    void every_drawn_image_is_listed();
    void layout_sizes_data();
    void layout_sizes();
};

void tst_graphics_paths::referenced_paths_resolve_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("used_in");

    // Both ":/graphics/..." and the designer's "://graphics/..." spelling.
    static const QRegularExpression graphics_path(QStringLiteral(":/{1,2}graphics/[A-Za-z0-9_+./%-]*"));
    const QStringList folders = {QStringLiteral("module"),       QStringLiteral("common"),
                                 QStringLiteral("pages"),        QStringLiteral("connect"),
                                 QStringLiteral("quick_launch"), QStringLiteral("scanner"),
                                 QStringLiteral("forms"),        QStringLiteral("host")};
    int scanned = 0;
    for (const QString &folder : folders) {
        QDirIterator files(source_root + QLatin1Char('/') + folder,
                           {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.ui")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
            ++scanned;
            QTextStream in(&file);
            for (int line = 1; !in.atEnd(); ++line) {
                const QString text = in.readLine();
                QRegularExpressionMatchIterator matches = graphics_path.globalMatch(text);
                while (matches.hasNext()) {
                    QString path = matches.next().captured();
                    while (path.endsWith(QLatin1Char('.'))) // end of a sentence in a comment
                        path.chop(1);
                    const QString used_in = QDir(source_root).relativeFilePath(file.fileName()) +
                                            QLatin1Char(':') + QString::number(line);
                    QTest::newRow(qPrintable(used_in + QLatin1Char(' ') + path)) << path << used_in;
                }
            }
        }
    }
    // An empty scan would pass whatever the resources hold.
    QVERIFY2(scanned > 0, qPrintable(QStringLiteral("no sources found under ") + source_root));
}

void tst_graphics_paths::referenced_paths_resolve()
{
    if (!QTest::currentDataTag())
        QSKIP("the sources name no picture yet");
    QFETCH(QString, path);
    QFETCH(QString, used_in);

    const QString relative = path.mid(path.indexOf(QLatin1String("graphics/")) + 9);
    if (path.endsWith(QLatin1Char('/'))) {
        // A folder the code appends names to.
        QVERIFY2(
            !QDir(path).entryList(QDir::Files).isEmpty(),
            qPrintable(
                QStringLiteral("%1 (used in %2) is not a folder of compiled-in images").arg(path, used_in)));
        return;
    }
    QStringList candidates{path};
    if (path.contains(QLatin1Char('%'))) {
        const QStringList names = names_for_pattern(relative);
        QVERIFY2(!names.isEmpty(),
                 qPrintable(QStringLiteral("%1 (used in %2) is a pattern this test does not know; "
                                           "add the names the code fills in")
                                .arg(path, used_in)));
        candidates.clear();
        for (const QString &name : names)
            candidates << QString(path).replace(QLatin1String("%1"), name);
    }
    for (const QString &candidate : candidates) {
        QVERIFY2(
            QFile::exists(candidate),
            qPrintable(
                QStringLiteral("%1 (used in %2) is not a compiled-in resource").arg(candidate, used_in)));
        QVERIFY2(
            !QImage(candidate).isNull(),
            qPrintable(QStringLiteral("%1 (used in %2) does not load as an image").arg(candidate, used_in)));
    }
}

void tst_graphics_paths::listed_images_load_data()
{
    QTest::addColumn<QString>("resource");
    for (const QString &qrc : resource_lists) {
        const QVector<listed_file> files = read_resource_list(qrc);
        QVERIFY2(!files.isEmpty(), qPrintable(qrc + QStringLiteral(" is missing or lists nothing")));
        for (const listed_file &entry : files)
            QTest::newRow(qPrintable(entry.resource)) << entry.resource;
    }
}

void tst_graphics_paths::listed_images_load()
{
    QFETCH(QString, resource);
    const QImage image(resource);
    QVERIFY2(!image.isNull(), qPrintable(resource + QStringLiteral(" is listed but does not load")));
}

// A picture drawn and committed but left out of the lists is missing at run
// time although the file is there.
void tst_graphics_paths::every_drawn_image_is_listed()
{
    QSet<QString> listed;
    for (const QString &qrc : resource_lists)
        for (const listed_file &entry : read_resource_list(qrc))
            listed.insert(entry.file);
    for (const QString &folder :
         {QStringLiteral("resources/graphics"), QStringLiteral("host/resources/graphics")}) {
        QDirIterator pngs(source_root + QLatin1Char('/') + folder, {QStringLiteral("*.png")}, QDir::Files,
                          QDirIterator::Subdirectories);
        while (pngs.hasNext()) {
            const QString file = QDir::cleanPath(pngs.next());
            QVERIFY2(listed.contains(file), qPrintable(file + QStringLiteral(" is in no qrc file")));
        }
    }
}

// Sizes the layouts are built around; -1 leaves a side free (stretched edges).
void tst_graphics_paths::layout_sizes_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("expected");

    for (const QString &frame :
         {QStringLiteral(":/graphics/common/border/"), QStringLiteral(":/graphics/controls/control_box/")}) {
        for (const char *corner :
             {"Corner_top_left", "Corner_top_right", "Corner_bottom_left", "Corner_bottom_right"})
            QTest::newRow(qPrintable(frame + QLatin1String(corner)))
                << frame + QLatin1String(corner) + QLatin1String(".png") << QSize(11, 11);
        for (const char *edge : {"top-border_scaleable", "bottom-border_scaleable"})
            QTest::newRow(qPrintable(frame + QLatin1String(edge)))
                << frame + QLatin1String(edge) + QLatin1String(".png") << QSize(-1, 11);
        for (const char *edge : {"left-border_scaleable", "right-border_scaleable"})
            QTest::newRow(qPrintable(frame + QLatin1String(edge)))
                << frame + QLatin1String(edge) + QLatin1String(".png") << QSize(11, -1);
    }
    const struct
    {
        const char *resource;
        QSize size;
    } fixed[] = {
        {":/graphics/common/close/close_normal.png", {21, 21}},
        {":/graphics/common/close/close_over.png", {21, 21}},
        {":/graphics/common/close/close_down.png", {21, 21}},
        {":/graphics/mobile_app/Status_LED_paired.png", {20, 20}},
        {":/graphics/mobile_app/Status_LED_not-paired.png", {20, 20}},
        {":/graphics/profile/button/auto_apply/active.png", {37, 16}},
        {":/graphics/profile/button/auto_apply/inactive.png", {37, 16}},
        {":/graphics/profile/Empty_Profile_Icon_26x26.png", {26, 26}},
        {":/graphics/mobile_app/Divider_line.png", {1, 32}},
        {":/graphics/common/Divider_line.png", {1, -1}},
        {":/graphics/common/Header_BG.png", {-1, 26}},
        {":/graphics/controls/quick_launch_setting.png", {67, 67}},
    };
    for (const auto &row : fixed)
        QTest::newRow(row.resource) << QString::fromLatin1(row.resource) << row.size;

    // The progress bar sizes its frame label from the first frame only.
    const QSize first_frame = QImage(QStringLiteral(":/graphics/common/progress/0.png")).size();
    QTest::newRow("progress frame height")
        << QStringLiteral(":/graphics/common/progress/0.png") << QSize(-1, 8);
    for (int n = 1; n <= 10; ++n)
        QTest::newRow(qPrintable(QStringLiteral("progress frame %1").arg(n)))
            << QStringLiteral(":/graphics/common/progress/%1.png").arg(n) << first_frame;
}

void tst_graphics_paths::layout_sizes()
{
    QFETCH(QString, resource);
    QFETCH(QSize, expected);
    const QSize actual = QImage(resource).size();
    const QString message =
        QStringLiteral("%1 is %2 x %3").arg(resource).arg(actual.width()).arg(actual.height());
    if (expected.width() >= 0)
        QVERIFY2(actual.width() == expected.width(), qPrintable(message));
    if (expected.height() >= 0)
        QVERIFY2(actual.height() == expected.height(), qPrintable(message));
}

QTEST_GUILESS_MAIN(tst_graphics_paths)
#include "tst_graphics_paths.moc"
