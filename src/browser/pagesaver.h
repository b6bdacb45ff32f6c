#pragma once
#include <QString>
#include <utility>

class WebBrowser;

// Records the page on display into the note, with the time of recording
// and a copy of the page: one MHTML file, written by the engine in the
// background.
namespace mirka::pagesaver {

// Follows the control's loads, so that a page which failed to load (an
// error page, an HTTP error) is known not to be worth a copy.
void watch(WebBrowser *browser);

// Records the page shown, by the engine's own title and committed
// address; a page still loading is recorded once it has loaded. A saved
// copy on display records the page it is a copy of, with that copy.
// Returns at once; a page that cannot be saved is noted without a copy.
void recordPage(WebBrowser *browser);

// The page a saved copy was made of (title, address), from the note's
// pages or the copy's own header; empty when the file tells none.
std::pair<QString, QString> originalOf(const QString &copyPath);

} // namespace mirka::pagesaver
