#pragma once
#include <QList>
#include <QString>

// Text folded for finding: compatibility forms (full- and half-width
// letters, half-width katakana with their sound marks) become their
// ordinary form, letters their case-folded form unless case matters, and
// katakana hiragana when the two are to match. Finding works on the folded
// text; every folded character knows which characters of the original it
// came from, so a match is given back as a range of the original.
namespace mirka::textfold {

struct Options {
    bool caseSensitive = false;
    bool kanaInsensitive = false; // ひらがな and カタカナ match each other
};

// A range [start, end) of the original text.
struct Range {
    int start = 0;
    int end = 0;
    bool operator==(const Range &o) const { return start == o.start && end == o.end; }
};

// The folded form of a text, for queries and for the search index.
QString fold(const QString &text, Options options = {});

class FoldedText {
public:
    FoldedText() = default;
    FoldedText(const QString &text, Options options);

    const QString &text() const { return m_text; }
    // The original characters behind the folded range [start, end): a range
    // that begins or ends inside one original character (or one letter with
    // its sound mark) takes it whole.
    Range original(int start, int end) const;
    // Every match of an already folded needle, left to right, not
    // overlapping, as ranges of the original.
    QList<Range> findAll(const QString &foldedNeedle) const;
    // The first match at or after the folded position from, or start -1.
    Range findFirst(const QString &foldedNeedle, int from = 0) const;

private:
    QString m_text;
    // Where each folded character's original character starts, with the
    // original length at the end.
    QList<int> m_starts;
};

} // namespace mirka::textfold
