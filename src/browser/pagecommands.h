#pragma once

class frmBrowser;

// The browser window's commands beyond its toolbar's, by key and in the
// page's context menu: zoom (Ctrl++, Ctrl+-, Ctrl+0, Ctrl+wheel, kept for
// the window across its pages), print with a preview (Ctrl+P), save as PDF,
// ページ記録 (Ctrl+D) and 選択部分を記録 (Ctrl+Shift+D). The ページ記録 button is
// pressed while the page on screen is among the note's recorded pages, and
// the toolbar is in Tab's round.
namespace mirka::pagecommands {

void attach(frmBrowser *window);

} // namespace mirka::pagecommands
