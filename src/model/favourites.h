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
    // The line as the file held it, for a favourite read from the file: it
    // is written back byte for byte, whatever its bytes (a damaged line, a
    // line another tool wrote in another encoding), so a rewrite never
    // changes or shifts what the user did not touch.
    QByteArray storedLine;
};

// Reads the file line by line, at most maxFavourites of them (*more tells
// whether the file holds further favourites). A damaged line (icon not a
// number from 1 to 6, too few or too many fields) gives an entry with icon 1
// and whatever text and address it holds. Blank lines hold no favourite and
// are skipped.
QList<Favourite> parse(const QByteArray &fileBytes, bool *more = nullptr);

// The whole file; an empty list is zero bytes. Addresses are written in a
// form the code page holds exactly.
QByteArray format(const QList<Favourite> &list);

struct Loaded {
    QList<Favourite> list;
    // What the user should be told about the file (too large, more
    // favourites than a box holds), once for each state of the file so that
    // activating windows does not repeat it; empty otherwise.
    QString notice;
};

// The favourites file, "tobla.ini" where the settings files live.
QString filePath();

// Reads the favourites file at path. A missing, unreadable or special file
// (directory, FIFO, device: never opened) gives an empty list silently.
Loaded load(const QString &path);

// The answer to the icon prompt as a number: blanks, tabs and line feeds
// anywhere are ignored, the longest leading decimal number (sign, digits,
// fraction, exponent) is taken, no number counts as 0; then the nearest
// whole number, halves to even. A number too large for a double counts as 0
// (it is refused either way).
double readIconAnswer(const QString &answer);

} // namespace mirka::favourites
