#include "common/settings_file_c.h"
#include "tests/common/common_test_support.h"

#include <QtTest>

#include <functional>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {
using state_t = settings_file_c::state_t;
using groups_t = std::function<QStringList(const QString &)>;

QString shown(const QVariant &value)
{
    if (value.type() == QVariant::StringList)
        return '[' + value.toStringList().join('|') + ']';
    return value.isValid() ? value.toString() : QStringLiteral("<none>");
}

QString tree(const groups_t &groups, const QString &group = QString())
{
    QStringList names;
    for (const QString &name : groups(group))
        names << (name.isEmpty() ? name : name + tree(groups, group.isEmpty() ? name : group + '/' + name));
    return names.isEmpty() ? QString() : '{' + names.join(',') + '}';
}

// Every key with its value, then the groups as a tree, so that one line shows
// what a reader makes of a file. Works for the store and for the reader.
template <typename reader_t>
QString described(reader_t &reader, const QStringList &keys, const groups_t &groups)
{
    QStringList parts;
    for (const QString &key : keys)
        parts << key + '=' + shown(reader.value(key));
    return parts.join(' ') + " | " + tree(groups);
}

// Qt refuses an empty set on Windows; read-only is the attribute's one state there.
#ifdef Q_OS_WIN
const QFileDevice::Permissions no_access = QFileDevice::ReadOwner;
#else
const QFileDevice::Permissions no_access;
#endif
} // namespace

Q_DECLARE_METATYPE(state_t)

class tst_settings_file_c : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv(temp_variable); }

    // What the reader makes of the INI syntax is what the store makes of it:
    // each row is checked against both, except where the store would decode
    // a value. Every spelling of a serialised value reaches the reader as the
    // text it is; decoded, it would be another type or nothing at all.
    void layout_data()
    {
        const QByteArray bomb("@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)"), a = "[a]\nName=";
        const char decoded[] = "@Variant(\0\0\0\t\x7f\xff\xff\xff)";
        const QString text = QString::fromLatin1(decoded, sizeof(decoded) - 1);
        const auto in_a = [](const QString &value) -> QString { return "a/Name=" + value + " | {a}"; };
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<bool>("store"); // false: only the reader is asked
        const auto row = [](const char *tag, const QByteArray &content, const QString &expected,
                            bool parses = true) {
            QTest::newRow(tag) << content << expected << parses << true;
        };
        const auto own = [](const char *tag, const QByteArray &content, const QString &expected) {
            QTest::newRow(tag) << content << expected << true << false;
        };
        own("serialised", a + bomb, in_a(text));
        own("quoted", a + " @Var\"iant(" + bomb.mid(9) + "\"", in_a(text));
        own("escaped", a + "\\x40" + bomb.mid(1), in_a(text));
        own("continued", a + "\\\n" + bomb, in_a(text));
        own("list", a + "b ,\t" + bomb, in_a("[b|" + text + ']'));
        own("quoted list", a + "\"b,c\",\"" + bomb + "\"", in_a("[b,c|" + text + ']'));
        own("after a comment", ";x=1\n" + a + bomb, in_a(text));
        own("byte order mark before a value", "\xEF\xBB\xBF\nName=" + bomb, "Name=" + text + " | ");
        // Found only once the keys were listed, for the store parses sections
        // as lookups need them.
        row("group spelt in a key", "a\\Name=x\n", in_a("x"));
        row("next to a subgroup", "[a]\nz=x\n[a\\b]\nc=1\n", "a/b/c=1 a/z=x | {a{b}}");
        // The store's own text forms read as the store wrote them.
        row("plain", a + "x\n", in_a("x"));
        row("empty value", a + "\n", in_a(""));
        row("header left alone", "\xEF\xBB\xBF[a=b]\nName=x\n", "a=b/Name=x | {a=b}", false);
        row("leading @", a + "@@x\n", in_a("@x"));
        row("text with NUL", a + "@String(a\\0b)\n", in_a(QString::fromLatin1("a\0b", 3)));
        row("invalid", a + "@Invalid()\n", in_a("<none>"));
        own("list with NUL", a + "@@x, @String(a\\0b)\n", in_a(QString::fromLatin1("[@x|a\0b]", 8)));
        row("general", "x=1\n[General]\ny=2\n[%General]\nz=3\n[ GENERAL ]\nw=4\n",
            "General/z=3 w=4 x=1 y=2 | {General}");
        row("key escapes", "[a%20b]\nk%41=1\nc\\d=2\n%U00e9=3\n%4=4\n%zz=5\n",
            "a b/%4=4 a b/%zz=5 a b/c/d=2 a b/kA=1 a b/\u00e9=3 | {a b{c}}");
        row("value escapes", "a=\"x\\\"y\" \\x41\\101\\q\\t|\nb=  \" p \" \nc=\\x\nd=\\1234\ne=a\\\n  b\n",
            "a=x\"yAA\t| b= p  c= d=\u029c e=a  b | ");
        row("blanks before escapes", "a=v \\x\nb=v \\q ,w\nc=v \\x20\nd=v \\x41  \ne=v \\\n  \n",
            "a=v  b=[v |w] c=v   d=v A e=v  | ");
        // An escape keeps blanks only within its own element, and a backslash
        // that ends the file still keeps those before it.
        row("escape ends an element", "a=x\\t, y  \nb=v \\", "a=[x\t|y] b=v  | ");
        row("lists", "l=a, b ,\"c,d\"\nm=\"\",\nn= x , \"y\" z\n", "l=[a|b|c,d] m=[|] n=[x|yz] | ");
        row("CR LF", "[s]\r\nk=a\\\r\nb\r\nj=\"1\r\n2\"\r\n", "s/j=1\r\n2 s/k=ab | {s}");
        row("comments", ";c=1\n[s] ;x\nk=v ; c\n;d\n  q=\"a;b\"\n", "s/k=v s/q=a;b | {s}");
#ifdef Q_OS_WIN
        // The store there ignores letter case and keeps the first spelling.
        row("duplicates", "[s]\nk=1\n[t]\nk=2\n[s]\nk=3\nK=4\n", "s/k=4 t/k=2 | {s,t}");
        row("group order", "[a]\nz=1\n[a-b]\nc=2\n[A]\nb=3\n", "a-b/c=2 a/b=3 a/z=1 | {a,a-b}");
#else
        row("duplicates", "[s]\nk=1\n[t]\nk=2\n[s]\nk=3\nK=4\n", "s/K=4 s/k=3 t/k=2 | {s,t}");
        row("group order", "[a]\nz=1\n[a-b]\nc=2\n[A]\nb=3\n", "A/b=3 a-b/c=2 a/z=1 | {A,a,a-b}");
#endif
        row("section order wins", "[a]\nb=2\n[General]\na\\b=1\nc\\d=3\n[c]\nd=4\n", "a/b=2 c/d=4 | {a,c}");
        row("NUL in a section name", QByteArray("[%General\0]\na=1\n[general\0]\nb=2\n[%General]\nc=3\n", 46),
            QStringLiteral("%General\0/a=1 General/c=3 general\0/b=2 | {%General\0,General,general\0}"));
        row("byte order mark", "\xEF\xBB\xBF[s]\nk=\xC3\xA9,\"\xC3\xA9\"\n", "s/k=[\u00e9|\u00e9] | {s}",
            false);
        row("Latin-1", "[s]\nk=\xC3\xA9\n", "s/k=\u00c3\u00a9 | {s}");
        row("open section", "[s\nk=1\n", "s/k=1 | {s}", false);
        row("line without =", "[s]\njunk\nk=1\n", "s/k=1 | {s}", false);
        row("empty", "", " | ");
    }
    void layout()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(bool, parses);
        QFETCH(bool, store);
        QTemporaryDir dir;
        const QString path = dir.filePath("store.ini");
        QVERIFY(write_file(path, content));
        const settings_file_c file(path);
        QCOMPARE(
            described(file, file.all_keys(), [&](const QString &group) { return file.child_groups(group); }),
            expected);
        // The reader needs no listing before a lookup.
        const settings_file_c fresh(path);
        for (const QString &key : file.all_keys())
            QCOMPARE(fresh.value(key, "fallback"), file.value(key));
        QCOMPARE(fresh.value("a/Other", "fallback"), QVariant("fallback"));
        if (!store)
            return;
        QSettings settings(path, QSettings::IniFormat);
        const auto groups = [&](const QString &group) {
            settings.beginGroup(group);
            const QStringList names = settings.childGroups();
            settings.endGroup();
            return names;
        };
        QCOMPARE(described(settings, settings.allKeys(), groups), expected);
        QCOMPARE(file.parses(), parses);
        QCOMPARE(settings.status() == QSettings::NoError, parses);
    }

    // A file the reader cannot take reads as nothing and tells why. Reading needs
    // nothing but the file, not a usable temporary directory ("temp" rows), and
    // leaves nothing behind there.
    void state_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<state_t>("expected");
        for (const char *kind :
             {"file", "empty", "temp file", "temp missing", "temp read-only", "temp empty"})
            QTest::newRow(kind) << kind << state_t::read;
        QTest::newRow("missing") << "missing" << state_t::missing;
        QTest::newRow("directory") << "directory" << state_t::unreadable;
        QTest::newRow("oversize") << "oversize" << state_t::unreadable;
        // Windows has no modes: setPermissions() sets the read-only attribute,
        // which leaves the file readable.
#ifdef Q_OS_WIN
        QTest::newRow("read-only attribute") << "mode 000" << state_t::read;
#else
        QTest::newRow("no permission") << "mode 000" << state_t::unreadable;
#endif
    }
    void state()
    {
        QFETCH(QString, kind);
        QFETCH(state_t, expected);
#ifndef Q_OS_WIN
        if ((kind == "mode 000" || kind == "temp read-only") && geteuid() == 0)
            QSKIP("root reads and writes whatever the mode; run the tests as a user for this row");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath("store.ini"), temp = dir.filePath("temp");
        if (kind == "directory")
            QVERIFY(QDir().mkdir(path));
        else if (kind != "missing")
            QVERIFY(write_file(path, kind == "empty" ? "" : "[a]\nk=\"v, w\"\nModel=x\n"));
        if (kind == "oversize") // sparse: no disk space is used
            QVERIFY(QFile(path).resize(settings_file_c::max_size + 1));
        if (kind == "mode 000")
            QVERIFY(QFile::setPermissions(path, no_access));
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
        const bool read = expected == state_t::read && kind != "empty";
        QCOMPARE(file.parses(), expected == state_t::read);
        QCOMPARE(file.value("a/k", "none"), QVariant(read ? "v, w" : "none"));
        QCOMPARE(file.child_groups(), read ? QStringList{"a"} : QStringList());
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

        // An edit that keeps the other values never replaces a file it could not read.
        const auto add_key = [](QSettings &settings) {
            settings.setValue("b/k", 1);
            return true;
        };
        if (expected == state_t::unreadable)
            QVERIFY(settings_file_c::edit(path, add_key) != settings_file_c::edit_result_t::written);
    }
};

QTEST_GUILESS_MAIN(tst_settings_file_c)
#include "tst_settings_file_c.moc"
