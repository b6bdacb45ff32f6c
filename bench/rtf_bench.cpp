// RTF reader and writer against Qt's own HTML import and export, on
// generated Japanese notes of about 1 MB and 8 MB of RTF with varied
// formatting, pictures, tables and links; a note of 200 pictures and 500
// table rows; and the cost of one SelChange with a whole 1 MB note selected.
// A dense 11 MB Japanese note as the rich-text control writes it: reading
// against its floor (the same runs inserted with QTextCursor, tables as
// tables, in the same process) and the size of a save; the same for a word
// processor's document of tens of MB (styles, \pard\plain resets, runs of
// changing fonts, tables, pictures with their metafile fallbacks). Prints
// its figures; run by hand: bench/rtf_bench [--quick] [--dense] [--word]
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtf.h"
#include "procstatus.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextTable>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

namespace {

// The peak memory of one load, measured in a process of its own (freed
// memory of earlier steps would hide it here): this program again, with
// --peak MODE FILE, printing its peak resident size in kB.
int peakChild(const QString &mode, const QString &path)
{
    QByteArray bytes;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    bytes = f.readAll();
    const QString html = mode.endsWith(QLatin1String("html")) ? QString::fromUtf8(bytes) : QString();
    if (mode == QLatin1String("rtf")) {
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        mirka::rtf::read(bytes, &doc);
        std::printf("%ld\n", statusKb("VmHWM:"));
    } else if (mode == QLatin1String("html")) {
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        doc.setUndoRedoEnabled(false);
        doc.setHtml(html);
        std::printf("%ld\n", statusKb("VmHWM:"));
    } else {
        QTextDocument doc; // the same start, without the load
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        std::printf("%ld\n", statusKb("VmHWM:"));
    }
    return 0;
}

double peakExtraMb(const QString &mode, const QByteArray &data)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return -1;
    f.close();
    const auto run = [&](const QString &m) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), m, path});
        p.waitForFinished(-1);
        return p.readAllStandardOutput().trimmed().toLong();
    };
    return (run(mode) - run(mode + QStringLiteral("-none"))) / 1024.0;
}

// A small picture of its own for each n, added to the document.
QTextImageFormat addPicture(QTextDocument *doc, int n)
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((n * 37) % 360, 200, 220));
    for (int x = 0; x < 48; ++x)
        image.setPixelColor(x, (x + n) % 32, Qt::black);
    const QString name = QStringLiteral("bench-picture:%1").arg(n);
    doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(48);
    f.setHeight(32);
    return f;
}

// A table of rows x 3 cells of short Japanese text at the cursor, which
// ends up after it.
void addTable(QTextCursor &c, int rows)
{
    QTextTable *t = c.insertTable(rows, 3);
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < 3; ++col)
            t->cellAt(r, col).firstCursorPosition().insertText(QStringLiteral("資料%1-%2").arg(r).arg(col));
    }
    c.setPosition(t->lastPosition() + 1);
}

// Fills doc with Japanese paragraphs of varied formatting until its RTF is
// at least targetBytes long. Varied notes have a link in every eighth
// paragraph, a picture in every 40th and a small table after every 60th.
void generate(QTextDocument *doc, qsizetype targetBytes, bool varied)
{
    static const char16_t *const words[] = {
        u"調査", u"地域の歴史", u"図書館", u"年表", u"資料", u"記録", u"ページ", u"東京", u"大阪",
        u"明治時代", u"の", u"は", u"を", u"に", u"と", u"、", u"。", u"について", u"メモ", u"ＡＢＣ",
        u"abc", u"1900-1950", u"web", u"検索", u"結果", u"①", u"ｶﾀｶﾅ", u"引用",
    };
    const QStringList families = {RichTextBox::defaultBodyFont().family(), QStringLiteral("Noto Serif CJK JP"),
                                  QStringLiteral("Arial")};
    const QColor colors[] = {QColor(Qt::black), QColor(200, 0, 0), QColor(0, 100, 200), QColor(0, 128, 0)};
    QRandomGenerator rng(42);
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    c.beginEditBlock();
    qsizetype estimate = 0;
    const qsizetype perChar = 11; // \uN\'hh\'hh of a Japanese character, roughly
    bool first = true;
    int paragraph = 0;
    while (estimate * perChar < targetBytes) {
        ++paragraph;
        if (varied && paragraph % 60 == 0) {
            addTable(c, 3);
            estimate += 9 * 6 + 400 / perChar;
        }
        QTextBlockFormat bf;
        bf.setAlignment(varied ? (rng.bounded(5) == 0 ? Qt::AlignHCenter : rng.bounded(6) == 0 ? Qt::AlignRight : Qt::AlignLeft)
                               : Qt::AlignLeft);
        if (first)
            c.setBlockFormat(bf);
        else
            c.insertBlock(bf);
        first = false;
        const int runs = 3 + rng.bounded(8);
        for (int r = 0; r < runs; ++r) {
            QTextCharFormat f;
            if (varied) {
                f.setFontWeight(rng.bounded(4) == 0 ? QFont::Bold : QFont::Normal);
                f.setFontItalic(rng.bounded(6) == 0);
                f.setFontUnderline(rng.bounded(8) == 0);
                f.setFontFamilies({families[rng.bounded(int(families.size()))]});
                f.setFontPointSize(rng.bounded(5) == 0 ? 14 : 11.25);
            }
            f.setForeground(colors[rng.bounded(4)]);
            QString text;
            const int n = 1 + rng.bounded(3);
            for (int w = 0; w < n; ++w)
                text += QString::fromUtf16(words[rng.bounded(int(std::size(words)))]);
            c.insertText(text, f);
            estimate += text.size();
        }
        if (varied && paragraph % 8 == 0) {
            QTextCharFormat link;
            link.setAnchor(true);
            link.setAnchorHref(QStringLiteral("http://example.com/page/%1").arg(paragraph));
            link.setForeground(QColor(0, 0, 255)); // as links look after a load
            link.setFontUnderline(true);
            link.setForeground(QColor(0, 0, 255)); // as links look after a load
            link.setFontUnderline(true);
            c.insertText(QStringLiteral("関連ページ"), link);
            estimate += 5 + 60 / perChar;
        }
        if (varied && paragraph % 40 == 0) {
            c.insertImage(addPicture(doc, paragraph));
            estimate += 1500 / perChar; // the PNG as hex
        }
    }
    c.endEditBlock();
    doc->setUndoRedoEnabled(true);
}

// A dense Japanese note as the rich-text control writes it: CP932 bytes in
// charset-128 fonts, about 900 bytes and 4.5 runs a paragraph, changing
// weight, colour, face and size between runs.
QByteArray denseNote(qsizetype targetBytes)
{
    static const char16_t *const words[] = {
        u"調査", u"地域の歴史", u"図書館", u"年表", u"資料", u"記録", u"東京", u"大阪", u"明治時代", u"の",
        u"は", u"を", u"に", u"と", u"、", u"。", u"について", u"検索結果", u"引用", u"ｶﾀｶﾅ", u"①",
    };
    QStringEncoder cp932("windows-31j");
    std::vector<QByteArray> hex;
    for (const char16_t *w : words) {
        QByteArray h;
        for (char b : QByteArray(cp932.encode(QString::fromUtf16(w))))
            h += "\\'" + QByteArray::number(uchar(b), 16).rightJustified(2, '0');
        hex.push_back(h);
    }
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl"
                     "{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
                     "{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\r\n"
                     "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                     "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs22 ";
    rtf.reserve(targetBytes + 4096);
    QRandomGenerator rng(7);
    int look = 0; // bits: bold, red, blue, Mincho, 14 pt
    while (rtf.size() < targetBytes) {
        for (int r = 1 + rng.bounded(8); r > 0; --r) {
            int next = rng.bounded(32);
            if (next & 2)
                next &= ~4;
            if (next == look)
                next ^= 1;
            const int changed = next ^ look;
            if (changed & 1)
                rtf += next & 1 ? "\\b" : "\\b0";
            if (changed & 6)
                rtf += next & 2 ? "\\cf1" : next & 4 ? "\\cf2" : "\\cf0";
            if (changed & 8)
                rtf += next & 8 ? "\\f1" : "\\f0";
            if (changed & 16)
                rtf += next & 16 ? "\\fs28" : "\\fs22";
            rtf += ' ';
            look = next;
            for (int w = 6 + rng.bounded(12); w > 0; --w)
                rtf += hex[size_t(rng.bounded(int(hex.size())))];
        }
        rtf += "\\par\r\n";
    }
    rtf += "}\r\n";
    return rtf;
}

double bestOf(int runs, const std::function<void()> &f)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// The floor of a load: a document made of the same paragraphs and runs
// with their formats, and tables of the same shape, inserted with
// QTextCursor (what tables hold within cells is flattened, merged cells are
// not merged).
struct Floor {
    struct Run {
        QString text;
        QTextCharFormat format;
    };
    struct Block {
        QTextBlockFormat format;
        QTextCharFormat charFormat;
        std::vector<Run> runs;
    };
    struct Table {
        QTextTableFormat format;
        int rows = 0, columns = 0;
        std::vector<std::vector<Block>> cells; // by row, then column
    };
    // The body in order: a paragraph, or a table (where blocks is empty).
    struct Piece {
        std::vector<Block> blocks;
        std::optional<Table> table;
    };
    std::vector<Piece> pieces;
    std::vector<std::pair<QUrl, QVariant>> pictures; // as read, not decoded

    Block blockOf(const QTextDocument &doc, const QTextBlock &b)
    {
        Block block{b.blockFormat(), b.charFormat(), {}};
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            block.runs.push_back(Run{it.fragment().text(), f});
            if (f.isImageFormat()) {
                const QUrl name(f.toImageFormat().name());
                pictures.emplace_back(name, doc.resource(QTextDocument::ImageResource, name));
            }
        }
        return block;
    }
    std::vector<Block> blocksBetween(const QTextDocument &doc, int from, int to)
    {
        std::vector<Block> blocks;
        for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next())
            blocks.push_back(blockOf(doc, b));
        return blocks;
    }

    explicit Floor(const QTextDocument &doc)
    {
        for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
            Piece piece;
            if (const QTextFrame *frame = it.currentFrame()) {
                const auto *t = qobject_cast<const QTextTable *>(frame);
                if (!t) {
                    piece.blocks = blocksBetween(doc, frame->firstPosition(), frame->lastPosition());
                } else {
                    Table table{t->format(), t->rows(), t->columns(), {}};
                    for (int r = 0; r < t->rows(); ++r) {
                        for (int col = 0; col < t->columns(); ++col) {
                            const QTextTableCell cell = t->cellAt(r, col);
                            table.cells.push_back(cell.row() == r && cell.column() == col
                                                      ? blocksBetween(doc, cell.firstPosition(), cell.lastPosition())
                                                      : std::vector<Block>());
                        }
                    }
                    piece.table = std::move(table);
                }
            } else {
                piece.blocks.push_back(blockOf(doc, it.currentBlock()));
            }
            pieces.push_back(std::move(piece));
        }
    }
    // The blocks at c; in a fresh (empty) paragraph, the first one is that.
    static void insert(QTextCursor &c, const std::vector<Block> &blocks, bool fresh)
    {
        for (const Block &b : blocks) {
            if (fresh)
                c.setBlockFormat(b.format), c.setBlockCharFormat(b.charFormat);
            else
                c.insertBlock(b.format, b.charFormat);
            fresh = false;
            for (const Run &r : b.runs)
                c.insertText(r.text, r.format);
        }
    }
    void build(QTextDocument *doc) const
    {
        for (const auto &[name, picture] : pictures)
            doc->addResource(QTextDocument::ImageResource, name, picture);
        doc->setUndoRedoEnabled(false);
        QTextCursor c(doc);
        c.beginEditBlock();
        bool fresh = true; // c is in an empty paragraph of its own
        for (const Piece &p : pieces) {
            if (p.table) {
                QTextTable *t = c.insertTable(p.table->rows, p.table->columns, p.table->format);
                for (int r = 0; r < p.table->rows; ++r) {
                    for (int col = 0; col < p.table->columns; ++col) {
                        QTextCursor cell = t->cellAt(r, col).firstCursorPosition();
                        insert(cell, p.table->cells[size_t(r * p.table->columns + col)], true);
                    }
                }
                c.setPosition(t->lastPosition() + 1);
                fresh = true;
                continue;
            }
            insert(c, p.blocks, fresh);
            fresh = false;
        }
        c.endEditBlock();
        doc->setUndoRedoEnabled(true);
    }
};

// Reading against its floor, in the same process, turn about so that a
// busy machine weighs on both alike: the best of each, with more turns for
// smaller documents (a few milliseconds are easily disturbed).
std::pair<double, double> readAndFloorMs(const QByteArray &rtf, int runs)
{
    QTextDocument loaded;
    loaded.setDefaultFont(RichTextBox::defaultBodyFont());
    mirka::rtf::read(rtf, &loaded);
    const Floor floor(loaded);
    double read = 1e300, least = 1e300;
    const int turns = runs * int(qBound(qsizetype(1), qsizetype(8 << 20) / qMax(qsizetype(1), rtf.size()), qsizetype(8)));
    for (int i = 0; i < turns; ++i) {
        read = std::min(read, bestOf(1, [&] {
            QTextDocument doc;
            doc.setDefaultFont(RichTextBox::defaultBodyFont());
            mirka::rtf::read(rtf, &doc);
        }));
        least = std::min(least, bestOf(1, [&] {
            QTextDocument doc;
            doc.setDefaultFont(RichTextBox::defaultBodyFont());
            floor.build(&doc);
        }));
    }
    return {read, least};
}

// Reading against its floor and the size of a save, for a file as another
// program writes it.
void readAndSave(const char *what, const QByteArray &rtf, int runs)
{
    QTextDocument loaded;
    loaded.setDefaultFont(RichTextBox::defaultBodyFont());
    mirka::rtf::read(rtf, &loaded);
    int fragments = 0, pictures = 0;
    for (QTextBlock b = loaded.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            ++fragments, pictures += it.fragment().charFormat().isImageFormat();
    int tables = 0;
    for (const QTextFrame *f : loaded.rootFrame()->childFrames())
        tables += qobject_cast<const QTextTable *>(f) != nullptr;
    const auto [read, floor] = readAndFloorMs(rtf, runs + 2);
    QByteArray out;
    const double save = bestOf(runs, [&] { out = mirka::rtf::write(&loaded); });
    std::printf("%s (%.2f MB, %d paragraphs, %d runs, %d tables, %d pictures)\n"
                "  read %.1f ms, floor (QTextCursor) %.1f ms: reader/floor %.2f | save %.1f ms, "
                "saved/original %.2f (%.2f MB)\n",
                what, rtf.size() / 1048576.0, loaded.blockCount(), fragments, tables, pictures, read, floor,
                read / floor, save, double(out.size()) / double(rtf.size()), out.size() / 1048576.0);
}

void dense(int runs)
{
    readAndSave("Dense Japanese note as the rich-text control writes it", denseNote(11 << 20), runs);
}

QByteArray cp932Hex(const QString &text)
{
    QByteArray h;
    for (char b : QByteArray(QStringEncoder("windows-31j").encode(text)))
        h += "\\'" + QByteArray::number(uchar(b), 16).rightJustified(2, '0');
    return h;
}

QByteArray hexLines(const QByteArray &data)
{
    QByteArray out;
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + "\r\n";
    return out;
}

// A document as a word processor writes it, of at least targetBytes: a
// style sheet and the tables it writes before the body, every paragraph
// starting over with \pard\plain and its whole set of properties, runs in
// groups of their own with font, size and weight changes, a table of five
// rows after every 40th paragraph and a picture (PNG, and a metafile
// fallback for older readers) after every 150th.
QByteArray wordProcessorDocument(qsizetype targetBytes)
{
    static const char16_t *const words[] = {
        u"本報告書では", u"地域の歴史", u"図書館の資料", u"について", u"調査した結果を", u"まとめる。",
        u"明治時代から", u"昭和初期までの", u"記録を", u"比較し、", u"年表", u"として示す。", u"東京", u"大阪",
    };
    QByteArray rtf = "{\\rtf1\\adeflang1025\\ansi\\ansicpg932\\uc1\\adeff31507\\deff0\\stshfdbch31505"
                     "\\stshfloch31506\\stshfhich31506\\stshfbi31507\\deflang1033\\deflangfe1041\\themelang1033"
                     "\\themelangfe1041\\themelangcs0{\\fonttbl";
    const char *const faces[] = {"Century", "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9", "Arial",
                                 "\\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e",
                                 "Times New Roman", "Yu Mincho"};
    for (int f = 0; f < 6; ++f)
        rtf += "{\\f" + QByteArray::number(f) + "\\fbidi \\froman\\fcharset" + (f % 2 ? "128" : "0")
            + "\\fprq1{\\*\\panose 02040604050505020304}" + faces[f] + ";}\r\n";
    rtf += "}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red192\\green0\\blue0;"
           "\\red68\\green114\\blue196;}\r\n{\\*\\defchp \\fs21\\kerning2\\loch\\af0\\hich\\af0"
           "\\dbch\\af1 }{\\*\\defpap \\ql \\li0\\ri0\\widctlpar\\wrapdefault\\aspalpha\\aspnum"
           "\\faauto\\adjustright\\rin0\\lin0\\itap0 }\r\n{\\stylesheet";
    for (int st = 0; st < 60; ++st)
        rtf += "{\\s" + QByteArray::number(st) + "\\ql \\li0\\ri0\\sa" + QByteArray::number(st * 20)
            + "\\widctlpar\\wrapdefault\\aspalpha\\aspnum\\faauto\\outlinelevel" + QByteArray::number(st % 9)
            + "\\adjustright\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af31507\\afs22\\alang1025 \\ltrch\\fcs0 "
              "\\fs22\\lang1033\\langfe1041\\kerning2\\loch\\f0\\hich\\af0\\dbch\\af1\\cgrid"
              "\\langnp1033\\langfenp1041 \\sbasedon0 \\snext0 \\sqformat \\spriority"
            + QByteArray::number(st) + " Style " + QByteArray::number(st) + ";}\r\n";
    rtf += "}{\\*\\rsidtbl \\rsid1336417\\rsid2182538\\rsid4346127}{\\mmathPr\\mmathFont34\\mbrkBin0}"
           "{\\info{\\title \\'95\\'f1\\'8d\\'90}{\\author user}{\\creatim\\yr2024\\mo4\\dy1\\hr9}"
           "{\\version2}{\\edmins5}{\\nofpages40}{\\nofwords20000}}{\\*\\xmlnstbl {\\xmlns1 http://schemas.microsoft.com"
           "/office/word/2003/wordml}}\\paperw11906\\paperh16838\\margl1701\\margr1701\\margt1985\\margb1701"
           "\\gutter0\\ltrsect\\deftab840\\ftnbj\\aenddoc\\formshade\\horzdoc\\dgmargin\\dghspace180"
           "\\dgvspace180\\sectd \\ltrsect\\linex0\\headery851\\footery992\\colsx425\\sectlinegrid360"
           "\\sectspecifyl\\sftnbj\r\n";
    const QByteArray pard = "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1\\widctlpar"
                            "\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 "
                            "\\rtlch\\fcs1 \\af31507\\afs22\\alang1025 \\ltrch\\fcs0 \\fs21\\lang1033"
                            "\\langfe1041\\kerning2\\loch\\af0\\hich\\af0\\dbch\\af1\\cgrid\\langnp1033"
                            "\\langfenp1041 ";
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 160, y * 255 / 120, (x * y) & 0xff));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray pngHex = hexLines(png);
    const QByteArray wmfHex = hexLines(QByteArray(png.size() * 2, '\x33'));
    std::vector<QByteArray> hex;
    for (const char16_t *w : words)
        hex.push_back(cp932Hex(QString::fromUtf16(w)));
    QRandomGenerator rng(11);
    const auto text = [&](int n) {
        QByteArray t;
        for (int i = 0; i < n; ++i)
            t += hex[size_t(rng.bounded(int(hex.size())))];
        return t;
    };
    rtf.reserve(targetBytes + (1 << 20));
    for (int paragraph = 1; rtf.size() < targetBytes; ++paragraph) {
        if (paragraph % 40 == 0) {
            for (int row = 0; row < 5; ++row) {
                QByteArray rowDef = "\\trowd \\irow" + QByteArray::number(row) + "\\irowband" + QByteArray::number(row)
                    + "\\ltrrow\\ts11\\trgaph99\\trleft0\\trbrdrt\\brdrs\\brdrw4 \\trbrdrl\\brdrs\\brdrw4 "
                      "\\trbrdrb\\brdrs\\brdrw4 \\trbrdrr\\brdrs\\brdrw4 \\trftsWidth1\\trftsWidthB3"
                      "\\trautofit1\\trpaddl99\\trpaddr99\\tblrsid4346127\\tbllkhdrrows\\tbllklastrow"
                      "\\tbllkhdrcols\\tbllklastcol\\tblind0\\tblindtype3 ";
                for (int cell = 1; cell <= 4; ++cell)
                    rowDef += "\\clvertalt\\clbrdrt\\brdrs\\brdrw4 \\clbrdrl\\brdrs\\brdrw4 \\clbrdrb"
                              "\\brdrs\\brdrw4 \\clbrdrr\\brdrs\\brdrw4 \\cltxlrtb\\clftsWidth3\\clwWidth2123"
                              "\\clshdrawnil \\cellx" + QByteArray::number(cell * 2123) + "\r\n";
                rtf += rowDef;
                for (int cell = 0; cell < 4; ++cell)
                    rtf += "\\pard\\plain \\ltrpar\\qj \\li0\\ri0\\widctlpar\\intbl\\wrapdefault"
                           "\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0 \\rtlch\\fcs1 \\af31507"
                           "\\afs22\\alang1025 \\ltrch\\fcs0 \\fs21\\lang1033\\langfe1041\\kerning2\\loch"
                           "\\af0\\hich\\af0\\dbch\\af1\\cgrid\\langnp1033\\langfenp1041 {\\rtlch\\fcs1 "
                           "\\af31507 \\ltrch\\fcs0 \\hich\\af0\\dbch\\af1\\loch\\f0\\insrsid4346127 "
                        + text(1 + rng.bounded(3)) + "}\\cell \r\n";
                rtf += "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1\\widctlpar\\intbl"
                       "\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0 {\\rtlch\\fcs1 "
                       "\\af31507 \\ltrch\\fcs0 \\insrsid4346127 " + rowDef + "\\row }\r\n";
            }
        }
        const bool heading = paragraph % 25 == 1;
        rtf += heading ? QByteArray(pard).replace("\\ql ", "\\s1\\ql \\keepn\\outlinelevel0 ") : pard;
        for (int r = 1 + rng.bounded(6); r > 0; --r) {
            rtf += "{\\rtlch\\fcs1 \\af31507 \\ltrch\\fcs0 ";
            if (heading)
                rtf += "\\b\\fs28\\cf4";
            else if (rng.bounded(5) == 0)
                rtf += "\\b";
            if (rng.bounded(4) == 0)
                rtf += "\\fs24";
            if (rng.bounded(6) == 0)
                rtf += "\\cf3";
            rtf += rng.bounded(3) == 0 ? "\\hich\\af2\\dbch\\af3\\loch\\f2" : "\\hich\\af0\\dbch\\af1\\loch\\f0";
            rtf += "\\insrsid2182538 ";
            if (rng.bounded(3) == 0)
                rtf += "\\hich\\af0\\dbch\\af1\\loch\\f0 Section " + QByteArray::number(paragraph) + " ";
            rtf += text(2 + rng.bounded(heading ? 2 : 8)) + "}";
        }
        if (paragraph % 150 == 0)
            rtf += "{\\rtlch\\fcs1 \\af31507 \\ltrch\\fcs0 \\insrsid1336417 {\\*\\shppict{\\pict"
                   "{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn fFlipH}{\\sv 0}}}"
                   "\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw4233"
                   "\\pich3175\\picwgoal2400\\pichgoal1800\\pngblip\\bliptag1053823537{\\*\\blipuid "
                   "3ecfd03159df9bb8c22f0e3d7b8b6b8e}\r\n" + pngHex + "}}{\\nonshppict{\\pict\\picscalex100"
                   "\\picscaley100\\picw4233\\pich3175\\picwgoal2400\\pichgoal1800\\wmetafile8\\bliptag1053823537"
                   "\r\n" + wmfHex + "}}}";
        rtf += "{\\rtlch\\fcs1 \\af31507 \\ltrch\\fcs0 \\insrsid2182538 \\par }\r\n";
    }
    rtf += "{\\*\\themedata 504b030414000600}{\\*\\datastore 0105000002000000}}\r\n";
    return rtf;
}

void wordSized(int runs)
{
    readAndSave("A word processor's document with styles, tables and pictures", wordProcessorDocument(30 << 20),
                runs);
}

struct Figures {
    qsizetype rtfBytes = 0;
    qsizetype htmlBytes = 0;
    double load = 0, setHtml = 0, save = 0, toHtml = 0, handOver = 0, floor = 0;
    double loadMb = 0, setHtmlMb = 0;
};

Figures measure(qsizetype target, int runs)
{
    Figures fig;
    QByteArray rtf;
    QString html;
    for (qsizetype goal = target;;) {
        QTextDocument source;
        source.setDefaultFont(RichTextBox::defaultBodyFont());
        generate(&source, goal, true);
        rtf = mirka::rtf::write(&source);
        if (rtf.size() < target * 21 / 20)
            break;
        goal = qsizetype(double(goal) * target / double(rtf.size()));
    }
    fig.rtfBytes = rtf.size();
    // Both sides start from the same document: the one our reader builds.
    QTextDocument loaded;
    loaded.setDefaultFont(RichTextBox::defaultBodyFont());
    mirka::rtf::read(rtf, &loaded);
    html = loaded.toHtml();
    fig.htmlBytes = html.toUtf8().size();

    std::tie(fig.load, fig.floor) = readAndFloorMs(rtf, runs);
    fig.setHtml = bestOf(runs, [&] {
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        doc.setUndoRedoEnabled(false);
        doc.setHtml(html);
    });
    fig.handOver = bestOf(runs, [&] {
        RichTextBox box;
        box.LoadRtf(rtf);
    });
    fig.loadMb = peakExtraMb(QStringLiteral("rtf"), rtf);
    fig.setHtmlMb = peakExtraMb(QStringLiteral("html"), html.toUtf8());
    QByteArray out;
    fig.save = bestOf(runs, [&] { out = mirka::rtf::write(&loaded); });
    QString outHtml;
    fig.toHtml = bestOf(runs, [&] { outHtml = loaded.toHtml(); });
    if (out != rtf)
        std::printf("  note: a second save differs from the first (%lld vs %lld bytes)\n",
                    qlonglong(out.size()), qlonglong(rtf.size()));
    return fig;
}

// One SelChange as the note window sees it: select all, then read the
// states it shows on its toolbar.
double selChangeMs(bool varied, int *runsOut)
{
    QTextDocument source;
    source.setDefaultFont(RichTextBox::defaultBodyFont());
    generate(&source, 1 << 20, varied);
    const QByteArray rtf = mirka::rtf::write(&source);
    RichTextBox box;
    box.resize(800, 600);
    box.LoadRtf(rtf);
    int runs = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            ++runs;
    *runsOut = runs;
    int sink = 0;
    QObject::connect(&box, &RichTextBox::SelChange, &box, [&] {
        sink += box.SelBold().value_or(false) + box.SelItalic().value_or(false)
            + box.SelUnderline().value_or(false) + box.SelAlignment().value_or(-1);
    });
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        box.moveCursor(QTextCursor::Start);
        QElapsedTimer t;
        t.start();
        box.selectAll();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A note of 200 pictures and a table of 500 rows.
// Load and save of an RTF document against setHtml and toHtml of the same.
void timeAgainstHtml(const char *what, const QByteArray &rtf, int runs)
{
    QTextDocument loaded;
    loaded.setDefaultFont(RichTextBox::defaultBodyFont());
    mirka::rtf::read(rtf, &loaded);
    const QByteArray written = mirka::rtf::write(&loaded);
    const QString html = loaded.toHtml();
    const double load = bestOf(runs, [&] {
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        mirka::rtf::read(rtf, &doc);
    });
    const double setHtml = bestOf(runs, [&] {
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        doc.setUndoRedoEnabled(false);
        doc.setHtml(html);
    });
    QByteArray out;
    const double save = bestOf(runs, [&] { out = mirka::rtf::write(&loaded); });
    QString outHtml;
    const double toHtml = bestOf(runs, [&] { outHtml = loaded.toHtml(); });
    std::printf("%s (%.2f MB RTF): load %.1f ms (setHtml %.1f, ratio %.2f)  save %.1f ms (toHtml %.1f, ratio %.2f)%s\n",
                what, rtf.size() / 1048576.0, load, setHtml, load / setHtml, save, toHtml, save / toHtml,
                out == written ? "" : "  note: a second save differs from the first");
}

void picturesAndTable(int runs)
{
    QTextDocument source;
    source.setDefaultFont(RichTextBox::defaultBodyFont());
    QTextCursor c(&source);
    c.insertText(QStringLiteral("写真と表"));
    for (int i = 0; i < 200; ++i) {
        c.insertBlock();
        c.insertText(QStringLiteral("写真%1 ").arg(i));
        c.insertImage(addPicture(&source, i));
    }
    c.insertBlock();
    addTable(c, 500);
    c.insertText(QStringLiteral("終わり"));
    timeAgainstHtml("200 pictures and 500 table rows", mirka::rtf::write(&source), runs);
}

// Word's shapes: a three-level outline list and tables holding tables.
void listsAndNestedTables(int runs)
{
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\r\n{\\*\\listtable{\\list");
    for (int l = 0; l < 3; ++l)
        rtf += "{\\listlevel\\levelnfc" + QByteArray(l == 2 ? "4" : "0") + "\\levelstartat1{\\leveltext"
            + QByteArray(l == 0 ? "\\'02\\'00." : l == 1 ? "\\'04\\'00.\\'01." : "\\'02\\'02)") + ";}\\fi-360\\li"
            + QByteArray::number(720 * (l + 1)) + "}";
    rtf += "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\r\n";
    for (int i = 0; i < 3000; ++i) {
        const int level = i % 3;
        rtf += "{\\listtext x\\tab}\\pard\\ls1\\ilvl" + QByteArray::number(level) + " \\'8d\\'80\\'96\\'da "
            + QByteArray::number(i) + "\\par\r\n";
    }
    for (int t = 0; t < 300; ++t) {
        rtf += "\\trowd\\clbrdrt\\brdrs\\cellx3000\\clcbpat1\\cellx6000\r\n\\pard\\intbl outer\\cell\r\n";
        for (int r = 0; r < 2; ++r)
            rtf += "\\pard\\intbl\\itap2 a\\nestcell b\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2500"
                   "\\nestrow}{\\nonesttables\\par}\r\n";
        rtf += "\\pard\\intbl after\\cell\\row\r\n";
    }
    rtf += "}";
    timeAgainstHtml("3000 list items in three levels and 300 nested tables", rtf, runs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() == 4 && app.arguments().at(1) == QLatin1String("--peak"))
        return peakChild(app.arguments().at(2), app.arguments().at(3));
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int runs = quick ? 1 : 3;

    if (!app.arguments().contains(QStringLiteral("--word")))
        dense(runs);
    if (!app.arguments().contains(QStringLiteral("--dense")))
        wordSized(runs);
    if (app.arguments().contains(QStringLiteral("--dense")) || app.arguments().contains(QStringLiteral("--word")))
        return 0;
    std::printf("RTF reader/writer against QTextDocument HTML (best of %d, ms)\n", runs);
    const Figures small = measure(1 << 20, runs);
    const Figures big = measure(8 << 20, runs);
    for (const Figures *f : {&small, &big}) {
        std::printf("  %5.2f MB RTF (%5.2f MB HTML): load %8.1f  setHtml %8.1f  ratio %.2f | "
                    "save %7.1f  toHtml %7.1f  ratio %.2f\n",
                    f->rtfBytes / 1048576.0, f->htmlBytes / 1048576.0, f->load, f->setHtml,
                    f->load / f->setHtml, f->save, f->toHtml, f->save / f->toHtml);
    }
    std::printf("  reader/floor (QTextCursor inserting the same runs): 1 MB %.2f (floor %.1f)  8 MB %.2f (floor %.1f)\n",
                small.load / small.floor, small.floor, big.load / big.floor, big.floor);
    std::printf("  into the editor (read detached, then handed over): 1 MB %.1f  8 MB %.1f\n", small.handOver,
                big.handOver);
    const double sizeRatio = double(big.rtfBytes) / double(small.rtfBytes);
    std::printf("  growth 8 MB / 1 MB (size ratio %.2f): load %.2f  setHtml %.2f  save %.2f  toHtml %.2f\n",
                sizeRatio, big.load / small.load, big.setHtml / small.setHtml, big.save / small.save,
                big.toHtml / small.toHtml);
    std::printf("  peak memory of one load (own process, beyond the input held in memory): 1 MB ours %.1f MB, setHtml %.1f MB; "
                "8 MB ours %.1f MB, setHtml %.1f MB\n",
                small.loadMb, small.setHtmlMb, big.loadMb, big.setHtmlMb);
    std::printf("  peak memory of the whole run so far (VmHWM): %.1f MB\n", statusKb("VmHWM:") / 1024.0);

    picturesAndTable(runs);
    listsAndNestedTables(runs);

    int runsVaried = 0, runsUniform = 0;
    const double varied = selChangeMs(true, &runsVaried);
    const double uniform = selChangeMs(false, &runsUniform);
    std::printf("SelChange with the whole 1 MB note selected (median of 15, ms)\n");
    std::printf("  varied formatting (%d runs): %.3f\n", runsVaried, varied);
    std::printf("  worst case, only the colour varies, every run walked (%d runs): %.3f\n", runsUniform,
                uniform);
    return 0;
}
