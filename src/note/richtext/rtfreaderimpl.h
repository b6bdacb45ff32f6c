#pragma once
// The RTF reader's inner parts, shared by its source files: the group
// state, the control-word table and the Reader class. One pass over the
// bytes, no recursion: a stack of group states, a code-page byte decoder
// that keeps a lead byte across control words and group boundaries, and
// runs of text inserted with one cached QTextCharFormat each.
#include "note/richtext/rtfcodepage.h"
#include "note/richtext/rtfformat.h"

#include <QColor>
#include <QHash>
#include <QTextCursor>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirka::rtf::detail {

qsizetype skipPreamble(const QByteArray &bytes);

enum class Dest : quint8 { Body, FontTable, ColorTable, Upr, Skip };

enum class Kw : quint8 {
    None, SkipDest, FontTbl, ColorTbl, Upr, Ud, Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    Plain, Bold, Italic, Underline, UlNone, Strike, Super, Sub, NoSuperSub, Hidden,
    Font, AssocFont, AssocBold, AssocItalic, AssocSize, Rtlch, Ltrch, Loch, Hich, Dbch, FontSize, MirkaFontSize, Cf, Bg,
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult,
    Par, Line, Tab, SoftBreak, Cell, Row,
    Char, Uc, U, Bin, FCharset, Cpg, Red, Green, Blue,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // for Kw::Char
};

const std::unordered_map<std::string_view, KwInfo> &keywords();

struct State {
    CharProps ch;
    ParaProps para;
    Dest dest = Dest::Body;
    quint8 uc = 1;
};

struct FontDef {
    QString name;
    int charset = 1;
    int cpg = 0;
};

constexpr int kMaxStack = 4096;
constexpr int kMaxWordLength = 32;
constexpr int kMaxTableSize = 32767; // fonts and colours: more is no real document

bool isEastAsian(char32_t c);

class Reader {
public:
    Reader(const QByteArray &data, QTextCursor &cursor, bool insertMode)
        : m_data(data.constData()), m_size(data.size()), m_cursor(cursor), m_insert(insertMode)
    {
        m_docCp = CodePage::get(1252);
    }

    void run();

private:
    // ---- state
    State &st() { return m_stack.back(); }
    void pushGroup();
    void popGroup();
    void enterSkip();
    void skipGroupFast();

    // ---- tokens
    void controlWord();
    void word(std::string_view w, bool hasParam, int param);
    void symbol(char c);

    // ---- text
    void feedByte(unsigned char b);
    void flushLead();
    void put(char32_t c);
    void deliver(char32_t c);
    void emitBody(char32_t c);
    void flushRun();
    void ensureBlock();
    void paragraphEnd();
    void finish();

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
    qsizetype m_tail = 0; // where the closing padding begins
    QTextCursor &m_cursor;
    bool m_insert;
    bool m_done = false;

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
    int m_lead = -1;
    bool m_leadRaw = false; // the lead byte came as a raw byte, not as \'hh
    const CodePage *m_leadCp = nullptr;

    // Tables.
    QHash<int, FontDef> m_fonts;
    int m_deff = -1;
    bool m_fontOpen = false;
    int m_fontNum = 0;
    FontDef m_fontDef;
    std::vector<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    // Output.
    QString m_run;
    RunKey m_runKey;
    bool m_propsDirty = true;
    RunKey m_stateKey;
    bool m_pendingPar = false;
    ParaProps m_parProps; // of the pending \par
    bool m_blockHasContent = false;
    bool m_blockKnown = false; // the current block was made here, with these:
    ParaProps m_blockPara;
    RunKey m_blockCharKey;
    bool m_lastWasCell = false;
    ParaProps m_lastPara;
    QHash<RunKey, QTextCharFormat> m_charFormats;
    QHash<ParaProps, QTextBlockFormat> m_blockFormats;
};

} // namespace mirka::rtf::detail
