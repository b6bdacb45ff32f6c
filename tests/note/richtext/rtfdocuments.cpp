#include "rtfdocuments.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

namespace mirka::rtf::testdocs {

namespace {

// A PNG picture w x h pixels, shown at that size.
QByteArray picture(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\pict\\pngblip\\picw" + QByteArray::number(w) + "\\pich" + QByteArray::number(h) + "\\picwgoal"
        + QByteArray::number(w * 15) + "\\pichgoal" + QByteArray::number(h * 15) + "\r\n" + png.toHex() + "}";
}

const char kHead[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                     "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}"
                     "{\\colortbl;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}\r\n";

QByteArray level(int nfc, int start, const QByteArray &text, const QByteArray &numbers, int li)
{
    return "{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelstartat" + QByteArray::number(start)
        + "{\\leveltext" + text + ";}{\\levelnumbers" + numbers + ";}\\fi-360\\li" + QByteArray::number(li) + "}";
}

QByteArray item(int ls, int ilvl, const QByteArray &text)
{
    const QByteArray li = QByteArray::number(720 * (ilvl + 1));
    return "\\pard\\ls" + QByteArray::number(ls) + "\\ilvl" + QByteArray::number(ilvl) + "\\fi-360\\li" + li + " " + text
        + "\\par\r\n";
}

QByteArray lists()
{
    QByteArray d(kHead);
    d += "{\\*\\listtable\r\n";
    // Outline numbering: "1.", "1.1.", "a)".
    d += "{\\list\\listtemplateid1" + level(0, 1, "\\'02\\'00.", "\\'01", 720)
        + level(0, 1, "\\'04\\'00.\\'01.", "\\'01\\'03", 1440) + level(4, 1, "\\'02\\'02)", "\\'01", 2160)
        + "\\listid10}\r\n";
    d += "{\\list\\listtemplateid2\\listsimple" + level(0, 7, "\\'02\\'00.", "\\'01", 720) + "\\listid20}\r\n";
    d += "{\\list\\listtemplateid3\\listsimple{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01\\u-3913 ?;}"
         "{\\levelnumbers;}\\f1\\fi-360\\li720}\\listid30}\r\n";
    d += "{\\list\\listtemplateid4\\listsimple" + level(255, 1, "\\'00", "", 720) + "\\listid40}\r\n";
    d += "{\\list\\listtemplateid5\\listsimple" + level(2, 1, "\\'03(\\'00)", "\\'02", 720) + "\\listid50}}\r\n";
    d += "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
         "{\\listoverride\\listid20\\listoverridecount0\\ls2}{\\listoverride\\listid30\\listoverridecount0\\ls3}"
         "{\\listoverride\\listid40\\listoverridecount0\\ls4}{\\listoverride\\listid50\\listoverridecount0\\ls5}"
         "{\\listoverride\\listid10\\listoverridecount1{\\lfolevel\\listoverridestartat{\\listlevel\\levelstartat3}}\\ls6}}\r\n";
    // Word writes each label before the paragraph's own properties.
    d += "{\\listtext\\pard\\plain 1.\\tab}" + item(1, 0, "First");
    d += item(1, 0, "Second") + item(1, 1, "Second one") + item(1, 2, "deep a") + item(1, 2, "deep b");
    d += item(1, 1, "Second two") + item(1, 2, "deep again");
    d += "\\pard Plain paragraph\\par\r\n";
    d += item(2, 0, "Seven") + item(2, 0, "Eight") + item(3, 0, "Bullet") + item(4, 0, "No label");
    d += item(5, 0, "Roman one") + item(5, 0, "Roman two") + item(6, 0, "Three");
    d += "\\pard End\\par\r\n}";
    return d;
}

QByteArray border() { return "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"; }

QByteArray tables()
{
    QByteArray d(kHead);
    d += "\\pard Before\\par\r\n";
    // Merged across, a shaded cell; merged down; each row its own cells.
    d += "\\trowd\\trgaph108\\trleft0" + border() + "\\clmgf\\cellx2000" + border() + "\\clmrg\\cellx4000" + border()
        + "\\clcbpat1\\cellx6000\r\n\\pard\\intbl A1 to B1\\cell\\cell C1\\cell\\row\r\n";
    d += "\\trowd\\trgaph108\\trleft0" + border() + "\\clvmgf\\cellx2000" + border() + "\\cellx3000" + border()
        + "\\cellx6000\r\n\\pard\\intbl A2 and A3\\cell B2\\cell C2\\cell\\row\r\n";
    d += "\\trowd\\trgaph108\\trleft0" + border() + "\\clvmrg\\cellx2000" + border() + "\\cellx3000" + border()
        + "\\cellx6000\r\n\\pard\\intbl\\cell B3\\cell C3\\cell\\row\r\n";
    d += "\\trowd\\trgaph108\\trleft0\\cellx1500\\cellx6000\r\n\\pard\\intbl narrow\\cell wide\\cell\\row\r\n";
    d += "\\pard After\\par\r\n}";
    return d;
}

QByteArray nestedRow(const QByteArray &a, const QByteArray &b)
{
    return "\\pard\\intbl\\itap2 " + a + "\\nestcell " + b
        + "\\nestcell{\\*\\nesttableprops\\trowd\\trgaph108\\cellx1000\\cellx2500\\nestrow}{\\nonesttables\\par}\r\n";
}

QByteArray nested()
{
    QByteArray d(kHead);
    d += "\\pard Outer table:\\par\r\n\\trowd\\trgaph108\\cellx3000\\cellx6000\r\n\\pard\\intbl Outer A\\cell\r\n";
    d += nestedRow("Inner 1", "Inner 2") + nestedRow("Inner 3 " + picture(6, 4, 0xff00ff00), "Inner 4");
    d += "\\pard\\intbl after inner\\cell\\row\r\n";
    d += "\\trowd\\trgaph108\\cellx3000\\cellx6000\r\n\\pard\\intbl Last A\\cell Last B\\cell\\row\r\n";
    d += "\\pard After\\par\r\n}";
    return d;
}

QByteArray content()
{
    QByteArray d(kHead);
    d += "{\\*\\listtable{\\list\\listtemplateid1\\listsimple" + level(0, 1, "\\'02\\'00.", "\\'01", 720)
        + "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n";
    d += "{\\header \\pard Page header\\par}\r\n";
    d += "\\pard Seen {\\v hidden words} seen.\\par\r\n";
    d += "\\pard A note{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} The note text.} and a comment"
         "{\\*\\atnid HK}{\\*\\atnauthor Hanako}\\chatn{\\*\\annotation\\pard Comment text.}.\\par\r\n";
    d += "\\pard A {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1\"}}{\\fldrslt{\\ul\\cf2 link}}} and "
         "{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/pic\"}}{\\fldrslt{" + picture(5, 5, 0xff0000ff) + "}}}\\par\r\n";
    d += "\\pard Body picture " + picture(8, 6, 0xffff0000) + "\\par\r\n";
    d += item(1, 0, "Item with " + picture(4, 4, 0xff000000));
    d += "\\trowd\\trgaph108\\cellx3000\\cellx6000\r\n\\pard\\intbl Cell " + picture(7, 3, 0xff00ffff)
        + "\\cell plain\\cell\\row\r\n\\pard End\\par\r\n}";
    return d;
}

QByteArray japanese()
{
    QByteArray d(kHead);
    d += "\\pard\\f2 \\'93\\'fa\\'96\\'7b\\'8c\\'ea\\'82\\'cc\\'83\\'81\\'83\\'82 Mixed \\'95\\'5c\\'83\\'5c "
         "\\'b6\\'c0\\'b6\\'c5\\par\r\n";
    d += "\\pard\\f2\\uc2\\u21487\\'89\\'c2\\u-32767\\'87\\'40\\par\r\n";
    d += "\\trowd\\trgaph108\\cellx3000\\cellx6000\r\n\\pard\\intbl\\f2 \\'95\\'5c\\cell \\'8e\\'ae\\cell\\row\r\n}";
    return d;
}

} // namespace

QList<QPair<QString, QByteArray>> documents()
{
    return {{QStringLiteral("lists"), lists()},       {QStringLiteral("tables"), tables()},
            {QStringLiteral("nested"), nested()},     {QStringLiteral("content"), content()},
            {QStringLiteral("japanese"), japanese()}};
}

bool writeDocuments(const QString &dir)
{
    if (!QDir().mkpath(dir))
        return false;
    for (const auto &d : documents()) {
        QFile f(QDir(dir).filePath(d.first + QStringLiteral(".rtf")));
        if (!f.open(QIODevice::WriteOnly) || f.write(d.second) != d.second.size())
            return false;
    }
    return true;
}

QByteArray sample(const char *name)
{
    QFile f(qEnvironmentVariable("MIRKA_SOURCE_DIR") + "/tests/note/richtext/samples/" + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("sample %s missing", name);
    return f.readAll();
}

} // namespace mirka::rtf::testdocs
