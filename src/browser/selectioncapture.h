#pragma once

class frmBrowser;
class QWebEnginePage;

// 選択部分を記録 (Ctrl+Shift+D): the page's selection goes into the note at
// its caret as a quotation with its source, and the page is recorded as
// ページ記録 records it (with its saved copy; the note window is made when
// there is none).
namespace mirka::selectioncapture {

void recordSelection(frmBrowser *window);

} // namespace mirka::selectioncapture
