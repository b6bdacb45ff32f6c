#include "model/favourites.h"
#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "common/fileerror.h"
#include "common/savefile.h"
#include "model/options.h"
#include "../support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using mirka::FieldRecordReader;
using mirka::FieldRecordWriter;

class TestFieldRecord : public QObject {
    Q_OBJECT
private slots:
    // What CP932 cannot hold becomes "?": Qt's encoder would write 0xFC 0xFC
    // here, which reads back as another character.
    void codePage()
    {
        QCOMPARE(mirka::cp932::encode(QStringLiteral("a😀b€")), QByteArray("a?b?"));
        QCOMPARE(mirka::cp932::encode(QStringLiteral("①～")), QByteArray("\x87\x40\x81\x60"));
        QCOMPARE(mirka::cp932::decode(mirka::cp932::encode(QStringLiteral("ﾊﾞｰｼﾞｮﾝ漢字表"))),
                 QStringLiteral("ﾊﾞｰｼﾞｮﾝ漢字表"));
        // What input methods and web pages produce, written as CP932 has it.
        QCOMPARE(mirka::cp932::encode(u"〜−‖¢£¬"),
                 QByteArray("\x81\x60\x81\x7c\x81\x61\x81\x91\x81\x92\x81\xca"));

        // An address is stored so that it leads back to the same page.
        using mirka::cp932::storableAddress;
        QCOMPARE(storableAddress(QStringLiteral("http://127.0.0.1/über")), QStringLiteral("http://127.0.0.1/%C3%BCber"));
        QCOMPARE(storableAddress(QStringLiteral("http://x/a〜b")), QStringLiteral("http://x/a%E3%80%9Cb"));
        QCOMPARE(storableAddress(QStringLiteral("http://x/検索?q=歴史 1")), QStringLiteral("http://x/検索?q=歴史 1"));
        QCOMPARE(storableAddress(QStringLiteral("ü x")), QStringLiteral("%C3%BC x"));
    }

    // Lines that do not follow the format show with the first icon, do not
    // shift the others and are written back unchanged.
    void damagedFavourites()
    {
        const QByteArray seven = "7,\"seven\",\"http://7/\"", lone = "\x82\xa0 no fields \xff",
                         extra = "2,\"extra\",\"http://e/\",\"more\"", bug = "5,\"bug\",\"http://bug/\"";
        QList<mirka::favourites::Favourite> list = mirka::favourites::parse(
            "3,\"" + mirka::cp932::encode(u"ねこ") + "\",\"http://cat/\"\r\n" + seven + "\r\n" + lone + "\n\r\n" + extra + "\r\n" + bug);
        QStringList shown;
        for (const mirka::favourites::Favourite &f : list)
            shown << QString::number(f.icon) + u'|' + f.text + u'|' + f.address;
        QCOMPARE(shown, (QStringList{"3|ねこ|http://cat/", "1|seven|http://7/", "1|" + mirka::cp932::decode(lone).trimmed() + u'|',
                                     "1|extra|http://e/", "5|bug|http://bug/"}));
        list.removeFirst();
        QCOMPARE(mirka::favourites::format(list), seven + "\r\n" + lone + "\r\n" + extra + "\r\n" + bug + "\r\n");
    }

    // The answer to the icon prompt: blanks anywhere ignored, the leading
    // number taken, halves to even; no number, or one too large, is 0.
    void iconAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<double>("icon");
        const std::pair<const char *, double> rows[] = {
            {"3", 3}, {" 4 ", 4}, {"5x", 5}, {"2.5", 2}, {"3.5", 4}, {"0.6", 1}, {"6.5", 6}, {"\t+2\n", 2},
            {".5e1", 5}, {"1e", 1}, {"6.6", 7}, {"0.4", 0}, {"-1", -1}, {"1 2", 12}, {"abc", 0}, {"", 0}, {"1e999", 0}};
        for (const auto &[answer, icon] : rows)
            QTest::newRow(answer) << QString::fromLatin1(answer) << icon;
    }
    void iconAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(double, icon);
        QCOMPARE(mirka::favourites::readIconAnswer(answer), icon);
    }

    // The options file: fields it lacks are empty, a check value other than
    // 0, 1 or 2 leaves the option as it was, lines past the third are
    // ignored, broken bytes do not stop the reading.
    void optionsFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QStringList>("values"); // start page, search page, check
        QTest::newRow("no file") << QByteArray() << 1 << QStringList{"", "", "0"};
        QTest::newRow("first line only") << QByteArray("\"A\"\r\n") << 1 << QStringList{"A", "", "0"};
        QTest::newRow("7") << QByteArray("\"A\"\r\n\"B\"\r\n7\r\n") << 1 << QStringList{"A", "B", "1"};
        QTest::newRow("yes") << QByteArray("\"A\"\r\n\"B\"\r\nyes\r\n") << 2 << QStringList{"A", "B", "2"};
        QTest::newRow("more lines") << QByteArray("\"C\"\r\n\"D\"\r\n 2 \r\n\"E\"\r\n1\r\n") << 0
                                    << QStringList{"C", "D", "2"};
        QTest::newRow("broken bytes") << QByteArray("\"\x81\"\r\n\"abc\r\n1\r\n") << 0 << QStringList{"\uFFFD", "abc", "1"};
    }
    void optionsFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, preset);
        QFETCH(QStringList, values);
        TestEnv env;
        if (!file.isNull())
            env.write("mirka.ini", file);
        mirka::Options &o = mirka::Options::current();
        o.setOpenBrowserAtStart(preset);
        o.load();
        QCOMPARE((QStringList{o.startPage(), o.searchPage(), QString::number(o.openBrowserAtStart())}), values);
    }

    // What a reader gives, field by field, until a read fails: quoted or
    // bare fields, a missing closing quote read to the line's end, double
    // quotes written apart so that later fields keep their places, bytes
    // that are no CP932.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("rule") << QByteArray("\"a,b\"  ,  plain  ,\"\"\r\n 7 \r\n\"x\"junk,last\n\"open")
                              << QStringList{"a,b", "plain", "", "7", "x", "last", "open"};
        QTest::newRow("one line") << QByteArray("\"A\"\r\n") << QStringList{"A"};
        QTest::newRow("blank lines") << QByteArray("\r\n \r\n") << QStringList();
        FieldRecordWriter w;
        w.text(QStringLiteral("say \"hi\"")).endLine().text("t1").text("a,1").endLine().text("t2").text("a2").endLine();
        QTest::newRow("quotes") << w.data() << QStringList{"say ”hi”", "t1", "a,1", "t2", "a2"};
        QTest::newRow("bad bytes") << QByteArray("\"\xff\x00\x81\"\r\n\"ok\"\r\n\x82", 14)
                                   << QStringList{QString::fromUtf16(u"\uFFFD\0\uFFFD", 3), "ok", "\uFFFD"};
    }
    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        FieldRecordReader r(bytes);
        QStringList read;
        QString v;
        while (!r.atEnd() && r.read(&v))
            read << v;
        QCOMPARE(read, fields);
        QVERIFY(fields.isEmpty() || !r.read(&v));
        int n = 0;
        FieldRecordReader notNumber(QByteArray("x\r\n 7 \r\n"));
        QVERIFY(!notNumber.readInt(&n));
        QVERIFY(notNumber.readInt(&n) && n == 7);
    }
};

QTEST_GUILESS_MAIN(TestFieldRecord)
#include "tst_fieldrecord.moc"
