#include "common/settings_file_c.h"
#include "tests/common/common_test_support.h"

#include <QtTest>

#include <functional>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {
QString shown(const QVariant &value)
{
    if (value.type() == QVariant::StringList)
        return '[' + value.toStringList().join('|') + ']';
    return value.isValid() ? value.toString() : QStringLiteral("<none>");
}

// Every key with its value, then the groups as a tree, so that one line shows
// what a reader makes of a file. Works for the store and for the reader.
template <typename groups_t, typename value_t>
QString layout(const QStringList &keys, const groups_t &groups, const value_t &value)
{
    QStringList parts;
    for (const QString &key : keys)
        parts << key + '=' + shown(value(key));
    std::function<QString(const QString &)> tree = [&](const QString &group) {
        QStringList names;
        for (const QString &name : groups(group))
            names << (name.isEmpty() ? name : name + tree(group.isEmpty() ? name : group + '/' + name));
        return names.isEmpty() ? QString() : '{' + names.join(',') + '}';
    };
    return parts.join(' ') + " | " + tree(QString());
}

QString reader_layout(const settings_file_c &file)
{
    return layout(
        file.all_keys(), [&](const QString &group) { return file.child_groups(group); },
        [&](const QString &key) { return file.value(key); });
}

QString store_layout(QSettings &store)
{
    const auto groups = [&](const QString &group) {
        store.beginGroup(group);
        const QStringList names = store.childGroups();
        store.endGroup();
        return names;
    };
    return layout(store.allKeys(), groups, [&](const QString &key) { return store.value(key); });
}
} // namespace

Q_DECLARE_METATYPE(settings_file_c::state_t)

class tst_settings_file_c : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv(temp_variable); }

    // Every spelling of a serialised value reaches the reader as the text it
    // is; decoded, it would be another type or nothing at all. The store's own
    // text forms still read as the store wrote them.
    void value_data()
    {
        const QByteArray bomb("\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)");
        const char decoded[] = "@Variant(\0\0\0\t\x7f\xff\xff\xff)";
        const QString bomb_text = QString::fromLatin1(decoded, sizeof(decoded) - 1);
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("plain") << QByteArray("[a]\nName=x\n") << "a/Name" << QVariant("x");
        QTest::newRow("empty") << QByteArray("[a]\nName=\n") << "a/Name" << QVariant("");
        QTest::newRow("serialised") << "[a]\nName=@Variant(" + bomb << "a/Name" << QVariant(bomb_text);
        QTest::newRow("quoted") << "[a]\nName= @Var\"iant(" + bomb + "\""
                                << "a/Name" << QVariant(bomb_text);
        QTest::newRow("escaped") << "[a]\nName=\\x40Variant(" + bomb << "a/Name" << QVariant(bomb_text);
        QTest::newRow("continued") << "[a]\nName=\\\n@Variant(" + bomb << "a/Name" << QVariant(bomb_text);
        QTest::newRow("list") << "[a]\nName=b ,\t@Variant(" + bomb << "a/Name"
                              << QVariant(QStringList{"b", bomb_text});
        QTest::newRow("quoted list") << "[a]\nName=\"b,c\",\"@Variant(" + bomb + "\""
                                     << "a/Name" << QVariant(QStringList{"b,c", bomb_text});
        QTest::newRow("after a comment")
            << ";x=1\n[a]\nName=@Variant(" + bomb << "a/Name" << QVariant(bomb_text);
        QTest::newRow("byte order mark")
            << "\xEF\xBB\xBF\nName=@Variant(" + bomb << "Name" << QVariant(bomb_text);
        QTest::newRow("header left alone")
            << QByteArray("\xEF\xBB\xBF[a=b]\nName=x\n") << "a=b/Name" << QVariant("x");
        QTest::newRow("leading @") << QByteArray("[a]\nName=@@x\n") << "a/Name" << QVariant("@x");
        QTest::newRow("text with NUL") << QByteArray("[a]\nName=@String(a\\0b)\n") << "a/Name"
                                       << QVariant(QString::fromLatin1("a\0b", 3));
        QTest::newRow("invalid") << QByteArray("[a]\nName=@Invalid()\n") << "a/Name" << QVariant();
        QTest::newRow("list with NUL") << QByteArray("[a]\nName=@@x, @String(a\\0b)\n") << "a/Name"
                                       << QVariant(QStringList{"@x", QString::fromLatin1("a\0b", 3)});
        // The store parses sections as lookups need them and misses these
        // before anything has listed the keys.
        QTest::newRow("group spelt in a key") << QByteArray("a\\Name=x\n") << "a/Name" << QVariant("x");
        QTest::newRow("next to a subgroup")
            << QByteArray("[a]\nz=x\n[a\\b]\nc=1\n") << "a/z" << QVariant("x");
        QTest::newRow("missing") << QByteArray("[a]\nName=x\n") << "a/Other" << QVariant("fallback");
    }
    void value()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        QTemporaryDir dir;
        QVERIFY(write_file(dir.filePath("store.ini"), content));
        QCOMPARE(settings_file_c(dir.filePath("store.ini")).value(key, "fallback"), expected);
    }

    // What the reader makes of the INI syntax is what the store makes of it:
    // each row is checked against both. Nothing here starts with '@', so the
    // store decodes nothing.
    void layout_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("parses");
        QTest::newRow("general") << QByteArray("x=1\n[General]\ny=2\n[%General]\nz=3\n[ GENERAL ]\nw=4\n")
                                 << "General/z=3 w=4 x=1 y=2 | {General}" << true;
        QTest::newRow("key escapes") << QByteArray("[a%20b]\nk%41=1\nc\\d=2\n%U00e9=3\n%4=4\n%zz=5\n")
                                     << "a b/%4=4 a b/%zz=5 a b/c/d=2 a b/kA=1 a b/\u00e9=3 | {a b{c}}"
                                     << true;
        QTest::newRow("value escapes")
            << QByteArray("a=\"x\\\"y\" \\x41\\101\\q\\t|\nb=  \" p \" \nc=\\x\nd=\\1234\ne=a\\\n  b\n")
            << "a=x\"yAA\t| b= p  c= d=\u029c e=a  b | " << true;
        QTest::newRow("blanks before escapes")
            << QByteArray("a=v \\x\nb=v \\q ,w\nc=v \\x20\nd=v \\x41  \ne=v \\\n  \n")
            << "a=v  b=[v |w] c=v   d=v A e=v  | " << true;
        // An escape keeps blanks only within its own element, and a backslash
        // that ends the file still keeps those before it.
        QTest::newRow("escape ends an element")
            << QByteArray("a=x\\t, y  \nb=v \\") << "a=[x\t|y] b=v  | " << true;
        QTest::newRow("lists") << QByteArray("l=a, b ,\"c,d\"\nm=\"\",\nn= x , \"y\" z\n")
                               << "l=[a|b|c,d] m=[|] n=[x|yz] | " << true;
        QTest::newRow("CR LF") << QByteArray("[s]\r\nk=a\\\r\nb\r\nj=\"1\r\n2\"\r\n")
                               << "s/j=1\r\n2 s/k=ab | {s}" << true;
        QTest::newRow("comments") << QByteArray(";c=1\n[s] ;x\nk=v ; c\n;d\n  q=\"a;b\"\n")
                                  << "s/k=v s/q=a;b | {s}" << true;
#ifdef Q_OS_WIN
        // The store there ignores letter case and keeps the first spelling.
        QTest::newRow("duplicates") << QByteArray("[s]\nk=1\n[t]\nk=2\n[s]\nk=3\nK=4\n")
                                    << "s/k=4 t/k=2 | {s,t}" << true;
        QTest::newRow("group order") << QByteArray("[a]\nz=1\n[a-b]\nc=2\n[A]\nb=3\n")
                                     << "a-b/c=2 a/b=3 a/z=1 | {a,a-b}" << true;
#else
        QTest::newRow("duplicates") << QByteArray("[s]\nk=1\n[t]\nk=2\n[s]\nk=3\nK=4\n")
                                    << "s/K=4 s/k=3 t/k=2 | {s,t}" << true;
        QTest::newRow("group order") << QByteArray("[a]\nz=1\n[a-b]\nc=2\n[A]\nb=3\n")
                                     << "A/b=3 a-b/c=2 a/z=1 | {A,a,a-b}" << true;
#endif
        QTest::newRow("section order wins")
            << QByteArray("[a]\nb=2\n[General]\na\\b=1\nc\\d=3\n[c]\nd=4\n") << "a/b=2 c/d=4 | {a,c}" << true;
        QTest::newRow("NUL in a section name")
            << QByteArray("[%General\0]\na=1\n[general\0]\nb=2\n[%General]\nc=3\n", 46)
            << QStringLiteral("%General\0/a=1 General/c=3 general\0/b=2 | {%General\0,General,general\0}")
            << true;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[s]\nk=\xC3\xA9,\"\xC3\xA9\"\n")
                                         << "s/k=[\u00e9|\u00e9] | {s}" << false;
        QTest::newRow("Latin-1") << QByteArray("[s]\nk=\xC3\xA9\n") << "s/k=\u00c3\u00a9 | {s}" << true;
        QTest::newRow("open section") << QByteArray("[s\nk=1\n") << "s/k=1 | {s}" << false;
        QTest::newRow("line without =") << QByteArray("[s]\njunk\nk=1\n") << "s/k=1 | {s}" << false;
        QTest::newRow("empty") << QByteArray() << " | " << true;
    }
    void layout()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(bool, parses);
        QTemporaryDir dir;
        const QString path = dir.filePath("store.ini");
        QVERIFY(write_file(path, content));

        QSettings store(path, QSettings::IniFormat);
        const QString from_store = store_layout(store);
        const settings_file_c file(path);
        QCOMPARE(reader_layout(file), from_store);
        QCOMPARE(from_store, expected);
        QCOMPARE(file.parses(), store.status() == QSettings::NoError);
        QCOMPARE(file.parses(), parses);
    }

    // A file the reader cannot take reads as nothing and tells why. Reading needs
    // nothing but the file, not a usable temporary directory ("temp" rows), and
    // leaves nothing behind there.
    void state_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<settings_file_c::state_t>("expected");
        const auto read = settings_file_c::state_t::read, unreadable = settings_file_c::state_t::unreadable;
        QTest::newRow("read") << "file" << read;
        QTest::newRow("empty file") << "empty" << read;
        QTest::newRow("missing") << "missing" << settings_file_c::state_t::missing;
        QTest::newRow("directory") << "directory" << unreadable;
        QTest::newRow("oversize") << "oversize" << unreadable;
#ifdef Q_OS_WIN
        // Windows has no modes: setPermissions() sets the read-only attribute,
        // which leaves the file readable.
        QTest::newRow("read-only attribute") << "mode 000" << read;
#else
        QTest::newRow("no permission") << "mode 000" << unreadable;
#endif
        QTest::newRow("temp is a regular file") << "temp file" << read;
        QTest::newRow("temp missing") << "temp missing" << read;
        QTest::newRow("temp read-only") << "temp read-only" << read;
        QTest::newRow("temp empty and watched") << "temp watched" << read;
    }
    void state()
    {
        QFETCH(QString, kind);
        QFETCH(settings_file_c::state_t, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("store.ini");
        const QString temp = dir.filePath("temp");
        if (kind == "directory") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind != "missing") {
            QVERIFY(
                write_file(path, kind == "empty" ? QByteArray() : QByteArray("[a]\nk=\"v, w\"\nModel=x\n")));
            if (kind == "oversize") // sparse: no disk space is used
                QVERIFY(QFile(path).resize(settings_file_c::max_size + 1));
#ifndef Q_OS_WIN
            if ((kind == "mode 000" || kind == "temp read-only") && geteuid() == 0)
                QSKIP("root reads and writes whatever the mode; run the tests as a user for this row");
#endif
#ifdef Q_OS_WIN
            // Qt refuses an empty set there; read-only is the attribute's one state.
            if (kind == "mode 000")
                QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
#else
            if (kind == "mode 000")
                QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
#endif
        }
        if (kind == "temp file")
            QVERIFY(write_file(temp, "x"));
        else if (kind.startsWith("temp") && kind != "temp missing")
            QVERIFY(QDir().mkdir(temp));
        if (kind == "temp read-only")
            QVERIFY(QFile::setPermissions(temp, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (kind.startsWith("temp"))
            qputenv(temp_variable, QFile::encodeName(temp));

        const settings_file_c file(path);
        QCOMPARE(file.state(), expected);
        const bool read = expected == settings_file_c::state_t::read && kind != "empty";
        QCOMPARE(file.parses(), expected == settings_file_c::state_t::read);
        QCOMPARE(file.value("a/k", "none"), QVariant(read ? "v, w" : "none"));
        QCOMPARE(file.child_groups(), read ? QStringList{"a"} : QStringList());
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

        // An edit that keeps the other values never replaces a file it could not read.
        const auto add_key = [](QSettings &settings) {
            settings.setValue("b/k", 1);
            return true;
        };
        if (expected == settings_file_c::state_t::unreadable)
            QVERIFY(settings_file_c::edit(path, add_key) != settings_file_c::edit_result_t::written);
    }
};

QTEST_GUILESS_MAIN(tst_settings_file_c)
#include "tst_settings_file_c.moc"
