// List labels as the document numbers them: the levels of a list read from
// RTF, each with its number format, start and label text, count across the
// whole list; a level starts anew after an item of a level above it.
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"

#include <QHash>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <vector>

namespace mirka::rtf {

namespace {

QString roman(int n)
{
    static const std::pair<int, const char *> parts[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                         {1, "i"}};
    QString s;
    for (const auto &p : parts)
        for (; n >= p.first; n -= p.first)
            s += QLatin1String(p.second);
    return s;
}

// Letters counted as the alphabet is, from a to z, then aa to zz …
QString letters(int n, QStringView set)
{
    if (n < 1)
        return QString::number(n);
    const int k = int(set.size());
    return QString(qMin((n - 1) / k + 1, 32), set.at((n - 1) % k));
}

QString alpha(int n) { return letters(n, u"abcdefghijklmnopqrstuvwxyz"); }

// Digits of n one by one in a set of ten ("〇一二…", "０１２…").
QString digits(int n, QStringView set)
{
    QString s;
    for (QChar d : QString::number(n))
        s += d.isDigit() ? set.at(d.digitValue()) : d;
    return s;
}

// Kanji counting: 十一, 二十, 百五, 一万二千; the legal style writes a one
// before every unit (壱拾壱, 壱百).
QString kanjiCount(int n, QStringView ones, QStringView units, bool legal)
{
    if (n <= 0)
        return n == 0 ? QString(ones.at(0)) : QString::number(n);
    QString s;
    const auto below = [&](int v) { // 1 to 9999
        QString t;
        for (int u = 3; u >= 0; --u) {
            static const int powers[] = {1, 10, 100, 1000};
            const int d = v / powers[u] % 10;
            if (!d)
                continue;
            if (u == 0 || d > 1 || legal)
                t += ones.at(d);
            if (u > 0)
                t += units.at(u - 1);
        }
        return t;
    };
    if (n >= 10000) {
        s = (n / 10000 > 1 || legal ? below(n / 10000) : QString()) + units.at(3);
        n %= 10000;
    }
    return n ? s + below(n) : s;
}

// A table of labels for 1 … size; past it, plain numbers.
QString enclosed(int n, char16_t first, int size)
{
    return n >= 1 && n <= size ? QString(QChar(char16_t(first + n - 1))) : QString::number(n);
}

const char16_t kAiueo[] = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン";
const char16_t kIroha[] = u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス";
const char16_t kAiueoNarrow[] = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ";
// Half-width kana has no ヰ and ヱ: イ and エ stand for them.
const char16_t kIrohaNarrow[] = u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳｲﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼｴﾋﾓｾｽ";

struct Labels {
    QPointer<const QTextDocument> doc;
    int revision = -1;
    QHash<int, QString> byBlock; // block number -> label
};

void countLabels(const QTextList *list, Labels &out)
{
    const QVariantList levels = list->format().property(ListLevels).toList();
    int counter[9] = {};
    bool fresh[9] = {true, true, true, true, true, true, true, true, true};
    const auto def = [&](int l) { return levels.value(qMin(l, int(levels.size()) - 1)).toList(); };
    for (int i = 0; i < list->count(); ++i) {
        const QTextBlock b = list->item(i);
        const int level = qBound(0, b.blockFormat().intProperty(ListLevel), 8);
        const QVariantList own = def(level);
        counter[level] = fresh[level] ? own.value(1).toInt() : counter[level] + 1;
        fresh[level] = false;
        for (int k = level + 1; k < 9; ++k)
            fresh[k] = fresh[k] || !def(k).value(6).toBool();
        QString label;
        for (QChar c : own.value(2).toString()) {
            if (c.unicode() < 9) {
                const int k = c.unicode();
                if (k <= level) {
                    const int n = fresh[k] ? def(k).value(1).toInt() : counter[k];
                    label += listNumber(n, k < level && own.value(5).toBool() ? 0 : def(k).value(0).toInt());
                }
                continue;
            }
            label += c;
        }
        out.byBlock.insert(b.blockNumber(), label);
    }
}

} // namespace

QString listNumber(int n, int nfc)
{
    static const QStringView kanji = u"〇一二三四五六七八九", fullWidth = u"０１２３４５６７８９";
    switch (nfc) {
    case 1: return roman(n).toUpper();
    case 2: return roman(n);
    case 3: return alpha(n).toUpper();
    case 4: return alpha(n);
    case 5: { // 1st, 2nd, 3rd, 4th … 11th
        const int t = n % 100, u = n % 10;
        const char *suffix = t >= 11 && t <= 13 ? "th" : u == 1 ? "st" : u == 2 ? "nd" : u == 3 ? "rd" : "th";
        return QString::number(n) + QLatin1String(suffix);
    }
    case 10: return digits(n, kanji);
    case 11: return kanjiCount(n, kanji, u"十百千万", false);
    case 12: return letters(n, QStringView(kAiueoNarrow, 46));
    case 13: return letters(n, QStringView(kIrohaNarrow, 47));
    case 14:
    case 19: return digits(n, fullWidth);
    case 16: return kanjiCount(n, u"〇壱弐参四伍六七八九", u"拾百阡萬", true);
    case 17: return n < 10000 ? digits(n, kanji) : kanjiCount(n / 10000, kanji, u"十百千万", false) + u'万' + digits(n % 10000, kanji);
    case 18:
    case 28: return enclosed(n, 0x2460, 20); // ①
    case 20: return letters(n, QStringView(kAiueo, 46));
    case 21: return letters(n, QStringView(kIroha, 47));
    case 22: return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
    case 24: return letters(n, u"가나다라마바사아자차카타파하");
    case 25: return letters(n, u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ");
    case 26: return enclosed(n, 0x2488, 20); // ⒈
    case 27: return enclosed(n, 0x2474, 20); // ⑴
    case 29: return enclosed(n, 0x3220, 10); // ㈠
    case 30: return letters(n, u"甲乙丙丁戊己庚辛壬癸");
    case 31: return letters(n, u"子丑寅卯辰巳午未申酉戌亥");
    case 23:
    case 255: return QString();
    default: return QString::number(n);
    }
}

QString listLabel(const QTextBlock &block)
{
    const QTextList *list = block.textList();
    if (!list)
        return {};
    const QTextListFormat f = list->format();
    if (!f.hasProperty(ListLevels)) {
        switch (f.style()) {
        case QTextListFormat::ListDisc: return QStringLiteral("\u2022");
        case QTextListFormat::ListCircle: return QStringLiteral("\u25CB");
        case QTextListFormat::ListSquare: return QStringLiteral("\u25A0");
        default: return list->itemText(block);
        }
    }
    // Counted once for the whole list until the document changes.
    static QHash<const QTextList *, Labels> cache;
    Labels &labels = cache[list];
    const QTextDocument *doc = block.document();
    if (labels.doc != doc || labels.revision != doc->revision()) {
        if (cache.size() > 256) {
            cache.clear();
            return listLabel(block);
        }
        labels = Labels();
        labels.doc = doc;
        labels.revision = doc->revision();
        countLabels(list, labels);
    }
    return labels.byBlock.value(block.blockNumber());
}

} // namespace mirka::rtf

// ---- what the editor shows and exports of the labels and kept items

#include "note/richtext/longdocument.h"
#include "note/richtext/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>

namespace mirka::rtf {

void paintListLabels(QTextEdit *edit, QPainter &painter, const QRect &area)
{
    QTextDocument *doc = edit->document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const QPointF scroll(edit->horizontalScrollBar()->value(), edit->verticalScrollBar()->value());
    for (QTextBlock b = blockAtHeight(doc, area.top() + scroll.y()); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b).translated(-scroll);
        if (r.top() > area.bottom())
            break;
        const QTextList *list = b.textList();
        if (!list || !list->format().hasProperty(ListLevels) || !b.isVisible())
            continue;
        const QString label = listLabel(b);
        const QTextLayout *text = b.layout();
        if (label.isEmpty() || !text || text->lineCount() == 0)
            continue;
        const QTextLine line = text->lineAt(0);
        const QFont font = QTextCursor(b).charFormat().font().resolve(doc->defaultFont());
        const QFontMetricsF fm(font);
        // The block's rectangle starts at its layout's position; the line at
        // its margins, after the text indent a wide label takes.
        const QTextBlockFormat f = b.blockFormat();
        const double start = r.left() + line.x() - (f.hasProperty(ListLabelIndent) ? f.textIndent() : 0);
        // The label stands where the hanging indent puts it, or just before the text.
        const double x = f.hasProperty(ListLabelIndent) ? start + f.intProperty(ListLabelIndent) / kTwipsPerPixel
                                                        : start - fm.horizontalAdvance(label + QLatin1Char(' '));
        painter.setFont(font);
        painter.setPen(edit->palette().color(QPalette::Text));
        painter.drawText(QPointF(qMax(r.left(), x), r.top() + line.y() + line.ascent()), label);
    }
}

QString keptTip(const QTextCharFormat &f)
{
    if (f.objectType() != KeptObjectType)
        return {};
    const QByteArray raw = f.property(KeptRtf).toByteArray();
    qsizetype at = raw.indexOf("\\footnote");
    qsizetype word = 9;
    if (at < 0) {
        at = raw.indexOf("\\annotation");
        word = 11;
    }
    if (at < 0)
        return {};
    QTextDocument note;
    if (!read("{\\rtf1 " + raw.mid(at + word), &note))
        return {};
    QString tip = plainText(&note).simplified();
    const qsizetype author = raw.indexOf("\\atnauthor");
    if (author >= 0 && author < at) {
        const qsizetype end = raw.indexOf('}', author);
        tip = QString::fromLatin1(raw.mid(author + 10, end - author - 10)).trimmed() + QStringLiteral(": ") + tip;
    }
    return tip;
}

std::unique_ptr<QTextDocument> copyOf(const QTextDocument *doc)
{
    if (!doc->isEmpty() || !doc->begin().textList())
        return std::unique_ptr<QTextDocument>(doc->clone());
    auto copy = std::make_unique<QTextDocument>();
    copy->setDefaultFont(doc->defaultFont());
    copy->setDefaultTextOption(doc->defaultTextOption());
    copy->setDocumentMargin(doc->documentMargin());
    copy->setPageSize(doc->pageSize());
    return copy;
}

QString exportHtml(const QTextDocument *doc)
{
    // A copy whose labels and kept items are the text a reader sees. The
    // changes are found first and made from the end back, so that each
    // leaves the places of those still to come as they were.
    std::unique_ptr<QTextDocument> copy = copyOf(doc);
    struct Change {
        int at, length;
        QString text;
        QTextCharFormat format; // of a kept item's text; invalid for a label
    };
    std::vector<Change> changes;
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        QTextList *list = b.textList();
        if (list && list->format().hasProperty(ListLevels)) {
            const QString label = listLabel(b);
            changes.push_back({b.position(), 0, label.isEmpty() ? label : label + QLatin1Char(' '), {}});
        }
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            QTextCharFormat plain = f.charFormat();
            if (plain.objectType() != KeptObjectType)
                continue;
            plain.setObjectType(QTextFormat::NoObject);
            changes.push_back({f.position(), f.length(), readerText(f.charFormat()).repeated(f.length()), plain});
        }
    }
    QTextCursor c(copy.get());
    c.beginEditBlock();
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        c.setPosition(it->at);
        if (!it->format.isValid()) {
            if (QTextList *list = c.block().textList())
                list->remove(c.block());
            c.insertText(it->text);
            continue;
        }
        c.setPosition(it->at + it->length, QTextCursor::KeepAnchor);
        c.insertText(it->text, it->format);
    }
    c.endEditBlock();
    return copy->toHtml();
}

} // namespace mirka::rtf
