// A picture path that does not resolve fails silently at run time: the
// widget just shows nothing. These checks catch that at test time.
#include <QtGui>
#include <QtTest>

namespace {
// Names the code fills into "%1", by the part of the path after "graphics/".
const QMap<QString, QStringList> pattern_names{
    {"page_tab/%1.png", {"tab_normal", "tab_hover", "tab_down"}},
    {"demo/%1.png",
     {"starfall", "iron_tide", "pixel_racer", "voice_chat", "capture", "aurora", "citadel", "orbit",
      "harbor"}},
    {"common/progress/%1.png", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
};
} // namespace

class tst_graphics_paths : public QObject
{
    Q_OBJECT

private slots:
    // One row per picture path in code and forms: the resources it stands for.
    void images_load_data()
    {
        QTest::addColumn<QStringList>("resources");
        // Both ":/graphics/..." and the designer's "://graphics/..." spelling.
        static const QRegularExpression graphics_path(QStringLiteral(":/{1,2}graphics/[A-Za-z0-9_+./%-]*"));
        const QDir root(QStringLiteral(VORLA_SOURCE_ROOT));
        int scanned = 0;
        for (const char *folder :
             {"module", "common", "pages", "connect", "quick_launch", "scanner", "forms", "host"}) {
            QDirIterator sources(root.filePath(folder), {"*.h", "*.cpp", "*.ui"}, QDir::Files,
                                 QDirIterator::Subdirectories);
            while (sources.hasNext()) {
                QFile file(sources.next());
                QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
                ++scanned;
                const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
                for (int line = 0; line < lines.size(); ++line) {
                    for (auto matches = graphics_path.globalMatch(lines[line]); matches.hasNext();) {
                        QString path = matches.next().captured();
                        while (path.endsWith('.')) // end of a sentence in a comment
                            path.chop(1);
                        // A pattern stands for every name the code fills in; an unknown one for none.
                        QStringList resources;
                        for (const QString &name : path.contains('%')
                                                       ? pattern_names.value(path.section("graphics/", 1))
                                                       : QStringList{QString()})
                            resources << QString(path).replace("%1", name);
                        QTest::addRow("%s:%d %s", qPrintable(root.relativeFilePath(file.fileName())),
                                      line + 1, qPrintable(path))
                            << resources;
                    }
                }
            }
        }
        // An empty scan would pass whatever the resources hold.
        QVERIFY2(scanned > 0, qPrintable("no sources found under " + root.path()));
    }
    void images_load()
    {
        QFETCH(QStringList, resources);
        QVERIFY2(!resources.isEmpty(), "a pattern this test does not know");
        for (const QString &resource : resources)
            QVERIFY2(!QImage(resource).isNull(), qPrintable(resource + " is missing or not an image"));
    }
};

QTEST_GUILESS_MAIN(tst_graphics_paths)
#include "tst_graphics_paths.moc"
