#pragma once
#include <QString>

class WebBrowser;

// Keeps a copy of the page on display when it is recorded: one MHTML file,
// written by the engine in the background.
namespace mirka::pagesaver {

// Follows the control's loads, so that a page which failed to load (an
// error page, an HTTP error) is known not to be worth a copy.
void watch(WebBrowser *browser);

// Notes the page just recorded into the note window with the time of
// recording, and starts writing its copy. Returns at once; a page that
// cannot be saved is noted without a copy.
void keepCopy(WebBrowser *browser, const QString &title, const QString &address);

} // namespace mirka::pagesaver
