#pragma once

class frmBrowser;

// The browser window's commands beyond its toolbar's, by key and in the
// page's context menu: zoom (Ctrl++, Ctrl+-, Ctrl+0, Ctrl+wheel, kept for
// the window across its pages), print with a preview (Ctrl+P), save as PDF.
namespace mirka::pagecommands {

void attach(frmBrowser *window);

} // namespace mirka::pagecommands
