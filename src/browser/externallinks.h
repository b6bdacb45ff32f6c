#pragma once
#include <QString>

class QUrl;
class QWidget;

// Addresses that leave the browser for another program (mailto:, a custom
// scheme a program registered). The page never hands one over by itself:
// the engine passes on only those the user clicked, and the user is asked
// first, naming the scheme and the program that would open it.
namespace mirka::externallinks {

// True for an address the engine does not show itself and would give to
// the desktop.
bool goesOutside(const QUrl &url);

// The program the desktop opens the scheme with, as the user knows it, or
// a phrase saying it is the system's choice.
QString handlerName(const QString &scheme);

// Asks (default No) and, on Yes, hands the address to the desktop.
void askAndOpen(const QUrl &url, QWidget *parent);

} // namespace mirka::externallinks
