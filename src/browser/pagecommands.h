#pragma once

class frmBrowser;

// The browser window's commands beyond its toolbar's: zoom (Ctrl++, Ctrl+-,
// Ctrl+0, Ctrl+wheel), kept for the window across its pages.
namespace mirka::pagecommands {

void attach(frmBrowser *window);

} // namespace mirka::pagecommands
