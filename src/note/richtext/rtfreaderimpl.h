#pragma once
// The RTF reader's inner parts, shared by its source files: the group
// state, the control-word table and the Reader class. One pass over the
// bytes, no recursion: a stack of group states, a code-page byte decoder
// that keeps a lead byte across control words and group boundaries, and
// runs of text inserted with one cached QTextCharFormat each.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfcodepage.h"
#include "note/richtext/rtfformat.h"

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <climits>
#include <string_view>
#include <vector>

namespace mirka::rtf::detail {

qsizetype skipPreamble(const QByteArray &bytes);

enum class Dest : quint8 {
    Body, FontTable, ColorTable, Upr, Skip,
    FieldInst,  // a field's instruction text
    ListTable,  // \listtable, \listoverridetable and \pn: words only
    LevelText,  // a list level's \leveltext, or \pntxta / \pntxtb
    ListText,   // \listtext / \pntext: a label, shown only without a list
    FontAlt,    // a font's \falt: the face to use where the named one is missing
};

enum class Kw : quint8 {
    None, SkipDest, FontTbl, ColorTbl, Upr, Ud, Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    Plain, Bold, Italic, Underline, UlNone, Strike, Super, Sub, NoSuperSub, Hidden,
    Font, AssocFont, AssocBold, AssocItalic, AssocSize, Rtlch, Ltrch, Loch, Hich, Dbch, FontSize, MirkaFontSize, Cf, Bg,
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult,
    Par, Line, Tab, SoftBreak, Cell, Row,
    Char, Uc, U, Bin, FCharset, Cpg, Red, Green, Blue, FontAlt,
    // Kept groups and the document level.
    Keep, KeepPrefix, DocGroup, PageSetup, Pict, Transparent, Chftn, Chatn,
    // Fields.
    Field, FldInst, FldRslt,
    // Lists.
    ListTable, List, ListLevel, LevelNfc, LevelStartAt, LevelLegal, LevelNoRestart, LevelText, ListId, ListOverride, LfoLevel, Ls, Ilvl,
    ListText, Pn, PnLevel, PnFormat, PnStart, PnText, PnFont,
    // Tables.
    Trowd, Cellx, RowWord, Intbl, Itap, NestCell, NestRow,
};

// What the placeholder of a kept group shows (KwInfo::ch of Kw::Keep).
enum KeepKind : char16_t { KeepNote, KeepComment, KeepObject, KeepShape, KeepHeader, KeepFooter, KeepPicture };
constexpr int KeepToPrefix = -2; // the group goes before the next kept one
constexpr int KeepToHead = -3;   // the group belongs to the document level

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // for Kw::Char
};

// The control words the reader knows, in a table open-addressed by a
// cheap hash: every control word read is looked up, and a standard map's
// hashing and modulo stood out in the reader's time.
class Keywords {
public:
    // Kw::None for a word the reader does not know.
    KwInfo find(std::string_view word) const
    {
        for (size_t i = hash(word);; ++i) {
            const Slot &s = m_slots[i & kMask];
            if (s.word.empty())
                return KwInfo{Kw::None};
            if (same(s.word, word))
                return s.info;
        }
    }
    // The first meaning given to a word stays.
    void add(std::string_view word, KwInfo info)
    {
        for (size_t i = hash(word);; ++i) {
            Slot &s = m_slots[i & kMask];
            if (s.word == word)
                return;
            if (s.word.empty()) {
                s = Slot{word, info};
                return;
            }
        }
    }

private:
    static constexpr size_t kMask = 1023; // well above the number of words
    // Words are short: compared here rather than by a call to memcmp.
    static bool same(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }
    static size_t hash(std::string_view word)
    {
        quint32 h = 2166136261u;
        for (const char c : word)
            h = (h ^ uchar(c)) * 16777619u;
        return h ^ (h >> 15);
    }
    struct Slot {
        std::string_view word; // of a string literal
        KwInfo info{Kw::None};
    };
    std::vector<Slot> m_slots = std::vector<Slot>(kMask + 1);
};
const Keywords &keywords();

struct State {
    CharProps ch;
    ParaProps para;
    Dest dest = Dest::Body;
    quint8 uc = 1;
    int field = -1;      // the field this group opened
    quint8 listGroup = 0; // 1 \list, 2 \listlevel, 3 \listoverride, 4 \pn opened here
    qsizetype start = 0; // offset of the group's opening brace
    qint64 emittedAt = 0; // characters shown when it opened
    qint64 rowWordsAt = 0; // row definition words read when it opened
};

// A list level as \listlevel or \pn gives it.
struct ListLevelDef {
    int nfc = 0; // \levelnfc: 0 decimal, 1 I, 2 i, 3 A, 4 a, 23 bullet, 255 none
    int start = 1;
    QString text; // \leveltext without its length: characters below 10 stand for levels
    int li = 0, fi = 0; // the indents of its paragraphs that have none of their own
    bool legal = false;     // \levellegal: the numbers of the levels above in Arabic
    bool noRestart = false; // \levelnorestart: counts on after an item of a level above
};

// A list override (\lsN): the list it shows, and the levels it starts anew.
struct ListOverrideDef {
    int listId = 0;
    int starts[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

struct ListDef {
    int id = 0;
    std::vector<ListLevelDef> levels;
};

struct FieldDef {
    QString inst;
    qint64 resultAt = -1; // characters shown before the result began
};

// A table being filled: where the cursor is, and whether a \cell or \row
// waits for the next content to move on.
// A row's definition as \trowd … \cellx gives it: the row's own words and
// each cell's, with the cells' edges in twips.
struct CellDef {
    QByteArray words; // borders, shading, merges …
    int left = 0, right = 0; // drawn within the editor's bound
    int rightAsRead = 0;     // written back: other readers fit wider tables to the page
    quint8 merge = 0; // 1 merged into the cell before, 2 first of a merge down, 3 merged into the cell above
};
struct RowDef {
    QByteArray words;
    int left = 0;
    std::vector<CellDef> cells;
    qsizetype wordsFrom = 0; // where the words of the cell being defined start
};

// Cells merged down, from the first: merged when the table is done.
struct MergeDown {
    int row, column, rows, columns;
};

struct OpenTable {
    class QTextTable *table = nullptr;
    std::vector<MergeDown> mergesDown;
    int row = 0, col = 0;
    bool cellEnded = false, rowEnded = false;
    bool widthsSet = false;
};

struct FontDef {
    QString name;
    QString alt; // \falt: the face to use where the named one is missing
    int charset = 1;
    int cpg = 0;
    int symbol = 0; // 1 Symbol, 2 Wingdings: bytes are symbols with Unicode equivalents
};

// The Unicode character of a byte in a symbol font (0: none known).
char32_t symbolToUnicode(int symbolFont, uchar byte);
int symbolFontOf(const QString &name);

constexpr int kMaxStack = 4096;
constexpr int kMaxWordLength = 32;
constexpr int kMaxTableSize = 32767; // fonts and colours: more is no real document
// Tables nested deeper go into the deepest: Qt lays each level out about
// twice over, so a few kilobytes nested sixteen deep froze the editor for
// minutes; at six they take a fraction of a second.
constexpr int kMaxTableDepth = 6;

bool isEastAsian(char32_t c);

class Reader {
public:
    Reader(const QByteArray &data, QTextCursor &cursor, bool insertMode)
        : m_data(data.constData()), m_size(data.size()), m_cursor(cursor), m_insert(insertMode)
    {
        m_docCp = CodePage::get(1252);
        m_keepTail = insertMode && !cursor.atBlockEnd();
        if (m_keepTail)
            m_tailFormat = cursor.blockFormat();
    }

    void run();
    void setProgress(const Progress *progress) { m_progress = progress; }
    bool stopped() const { return m_stopped; }

private:
    // ---- state
    State &st() { return m_stack.back(); }
    void pushGroup();
    void popGroup();
    void enterSkip();
    // Whether the group being read is one of the document's own, where its
    // tables stand (or in \upr's Unicode part); one inside another group,
    // say a header kept to be written back at the document level, would
    // be read there.
    bool atDocumentLevel() const
    {
        return m_stack.size() == 2 || (m_stack.size() == 4 && m_stack[1].dest == Dest::Upr);
    }
    void skipGroupFast();

    // ---- tokens
    void controlWord();
    void word(std::string_view w, bool hasParam, int param);
    void symbol(char c);

    // ---- text
    bool textSpan();
    void feedByte(unsigned char b);
    void flushPending();
    void flushHigh();
    void flushLead();
    void put(char32_t c);
    void deliver(char32_t c);
    void emitBody(char32_t c);
    void flushRun();
    void ensureBlock();
    void paragraphEnd();
    void markEmptyBlock();
    void finish();
    void finishBlock(const ParaProps &p);
    void fitLabels();

    // ---- kept groups and pictures (rtfkept.cpp)
    void keepGroup(int kind, bool star = false);
    void keptGroupEnded(qsizetype start, qsizetype end);
    void insertObject(const QTextCharFormat &f);
    void docLevelWord(std::string_view w, bool hasParam, int param);

    // ---- fields (rtffields.cpp)
    void fieldEnded(int field);
    QString hyperlinkOf(const QString &inst) const;

    // ---- lists (rtflists.cpp)
    void listWord(Kw kw, int param);
    void levelTextEnded();
    void listTextEnded();
    bool listKnown(const ParaProps &p) const;
    QTextList *listFor(const ParaProps &p);
    const ListLevelDef *listLevel(const ParaProps &p) const;

    // ---- tables (rtftables.cpp)
    void syncTables(int depth);
    void openTable();
    void closeTable();
    void endCell(int depth);
    void endRow(int depth);

    const CodePage *currentCodePage();
    const CodePage *codePageOfFont(int font);
    RunKey keyFor(const CharProps &ch, char32_t c) const;
    const QTextCharFormat &charFormat(const RunKey &key);
    const QTextBlockFormat &blockFormat(const ParaProps &p);
    void commitFont();
    void propsChanged() { m_propsDirty = true; m_cpDirty = true; }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_p = 0;
    QTextCursor &m_cursor;
    bool m_insert;
    bool m_done = false;
    const Progress *m_progress = nullptr;
    qsizetype m_nextReport = 0;
    bool m_stopped = false;

    std::vector<State> m_stack;
    int m_overflow = 0;     // groups nested past kMaxStack, counted only
    int m_skipDepth = 0;    // > 0 while skipping the rest of a group
    int m_ucSkip = 0;       // fallback characters still to skip after \uN
    bool m_star = false;    // \* seen: the next control word may be skipped
    char16_t m_high = 0;    // a high surrogate from \uN waiting for its pair

    // Decoder.
    const CodePage *m_docCp = nullptr;
    const CodePage *m_cp = nullptr;
    bool m_cpDirty = true;
    // What the code page of the body's font was last worked out from.
    struct CodePageFor {
        int font = INT_MIN, deff = 0;
        const CodePage *doc = nullptr;
        int fonts = -1; // font definitions read by then
        bool operator==(const CodePageFor &o) const
        {
            return font == o.font && deff == o.deff && doc == o.doc && fonts == o.fonts;
        }
    };
    CodePageFor m_cpFor;
    int m_fontCount = 0;
    int m_lead = -1;
    bool m_leadRaw = false; // the lead byte came as a raw byte, not as \'hh
    const CodePage *m_leadCp = nullptr;
    char32_t m_utf8 = 0; // a UTF-8 character being put together
    char32_t m_utf8Min = 0;
    int m_utf8Need = 0;  // its bytes still to come

    // Tables.
    QHash<int, FontDef> m_fonts;
    int m_deff = -1;
    bool m_fontOpen = false;
    int m_fontNum = 0;
    FontDef m_fontDef;
    std::vector<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    const Keywords &m_keywords = keywords(); // asked for once, not at every word
    // Output.
    QString m_run;
    RunKey m_runKey;
    bool m_propsDirty = true;
    RunKey m_stateKey;
    bool m_pendingPar = false;
    // Inserting before text: the paragraph that text ends up in keeps its
    // own mark, so its properties stay those of the insertion point.
    QTextBlockFormat m_tailFormat;
    bool m_keepTail = false;
    bool m_split = false;
    ParaProps m_parProps; // of the pending \par
    // The properties the paragraph at the cursor was made with, while its
    // format is known to be theirs: asking the document costs a lookup and
    // a comparison of formats for every paragraph.
    ParaProps m_blockProps;
    bool m_blockPropsKnown = false;
    bool m_blockHasContent = false;
    qint64 m_emitted = 0; // characters and paragraph marks shown so far
    qint64 m_rowWords = 0; // row definition words read so far: they outlive groups
    int m_symbolFont = 0; // of the current font: see FontDef::symbol
    bool m_fromSymbol = false; // the character being shown is a symbol font's
    ParaProps m_lastPara;
    QHash<RunKey, QTextCharFormat> m_charFormats;
    QHash<ParaProps, QTextBlockFormat> m_blockFormats;

    // Kept groups.
    int m_keepKind = -1;      // the kind of the group being skipped to keep
    int m_keepClose = 0;      // closing braces missing at the end of the file
    qsizetype m_wordStart = 0; // the backslash of the control word being read
    qsizetype m_keepWordStart = 0;
    QByteArray m_keepOpening;  // what stands for the group's start when text came before the word
    QByteArray m_keepPrefix;  // small groups that belong to the next kept one
    QByteArray m_head;        // document-level groups and page setup
    bool m_bodyStarted = false;
    int m_footnotes = 0;
    qint64 m_markAt = -1; // characters shown when the last footnote mark was
    int m_kept = 0; // kept groups and pictures read as they came

    // Fields: m_links[0] is no link.
    std::vector<FieldDef> m_fieldDefs;
    std::vector<QString> m_links{QString()};

    // Lists.
    QHash<int, ListDef> m_listDefs;
    ListDef m_list;
    ListLevelDef m_level;
    int m_levelFont = -1; // the font of the level being read: a bullet may be a symbol's
    ListOverrideDef m_override;
    int m_overrideLs = 0;
    int m_overrideLevel = -1; // the \lfolevel being read
    QHash<int, ListOverrideDef> m_overrides; // by \ls
    QString m_levelText;
    QString m_listText;         // the label of \listtext, kept until the paragraph shows a list
    size_t m_listTextDepth = 1;  // the groups open where the label was written
    QHash<QString, int> m_pnLists; // an old-style \pn list by its description -> its negative \ls
    // The document deletes a list whose last paragraph leaves it.
    QHash<qint64, QPointer<QTextList>> m_textLists;
    QString m_pnBefore, m_pnAfter;
    char m_pnText = 0; // 'b' before, 'a' after: which \pntxt is being read

    // Tables.
    std::vector<OpenTable> m_tables;
    RowDef m_rowDefs[kMaxTableDepth + 1]; // by table depth
    int m_rowDefDepth = 1;               // the depth the \trowd being read is for
    void rowWord(std::string_view w, int param);
    void applyRow(OpenTable &t, const RowDef &def);
    bool m_tableDirty = false;
};

} // namespace mirka::rtf::detail
