#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// The favourites file "tobla.ini": one line per favourite, icon number,
// quoted text, quoted address, CP932, CR LF.
namespace mirka::favourites {

constexpr int iconCount = 6;
// Positions in the favourites box are 16-bit.
constexpr int maxFavourites = 32767;

struct Favourite {
    int icon = 1; // 1 to 6
    QString text;
    QString address;
    // A line that does not follow the format is kept as it was read and
    // written back unchanged, so that it never shifts or loses the others.
    QByteArray damagedLine;
};

// Reads the file line by line. A damaged line (icon not a number from 1 to
// 6, too few or too many fields) gives an entry with icon 1 and whatever
// text and address it holds. Blank lines hold no favourite and are skipped.
QList<Favourite> parse(const QByteArray &fileBytes);

// The whole file; an empty list is zero bytes.
QByteArray format(const QList<Favourite> &list);

// The answer to the icon prompt as a number: blanks, tabs and line feeds
// anywhere are ignored, the longest leading decimal number (sign, digits,
// fraction, exponent) is taken, no number counts as 0; then the nearest
// whole number, halves to even. A number too large for a double counts as 0
// (it is refused either way).
double readIconAnswer(const QString &answer);

} // namespace mirka::favourites
