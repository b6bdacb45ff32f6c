#include "browser/selectioncapture.h"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "model/note.h"

#include <QAction>
#include <QPointer>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace mirka::selectioncapture {

namespace {

// Reads the selection as it looks on screen and writes it again in the few
// tags a note keeps, its text escaped, links only to web addresses and
// pictures drawn out of the page as PNG (a picture another site keeps to
// itself becomes its name, linked). It runs in a world of its own, where the
// page's scripts cannot change what it calls.
const char kScript[] = R"JS(
(function () {
  // Runs in a world of its own: the page's scripts cannot change what is used here.
  var sel = window.getSelection();
  if (!sel || sel.rangeCount === 0 || sel.isCollapsed) return null;
  var images = [];
  var budget = 32 * 1024 * 1024;
  var skip = {SCRIPT:1, STYLE:1, NOSCRIPT:1, TEMPLATE:1, IFRAME:1, FRAME:1, OBJECT:1, EMBED:1,
              SVG:1, CANVAS:1, VIDEO:1, AUDIO:1, INPUT:1, BUTTON:1, SELECT:1, TEXTAREA:1, HEAD:1,
              TITLE:1, META:1, LINK:1, BASE:1, FORM:0};
  var keep = {P:'p', DIV:'div', BR:'br', B:'b', STRONG:'b', I:'i', EM:'i', U:'u', S:'s', DEL:'s',
              SUB:'sub', SUP:'sup', H1:'h1', H2:'h2', H3:'h3', H4:'h4', H5:'h5', H6:'h6', UL:'ul',
              OL:'ol', LI:'li', BLOCKQUOTE:'div', PRE:'pre', CODE:'code', TABLE:'table', TR:'tr',
              TD:'td', TH:'th', TBODY:'tbody', THEAD:'thead', A:'a', SPAN:'span', IMG:'img',
              DL:'dl', DT:'dt', DD:'dd', FIGURE:'div', FIGCAPTION:'div', SECTION:'div',
              ARTICLE:'div', MAIN:'div', HEADER:'div', FOOTER:'div', ASIDE:'div', NAV:'div',
              SMALL:'small', MARK:'span', Q:'span', CITE:'i', ABBR:'span', LABEL:'span'};
  function esc(t) {
    return t.replace(/[\uE000\uE001]/g, '').replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
  }
  // The look a style sheet gave an element, in the few words a note keeps.
  function look(el) {
    var cs = window.getComputedStyle(el);
    if (!cs) return '';
    var out = [];
    var w = parseInt(cs.fontWeight, 10);
    if (w >= 600) out.push('font-weight:bold');
    if (cs.fontStyle === 'italic' || cs.fontStyle === 'oblique') out.push('font-style:italic');
    var deco = cs.textDecorationLine || '';
    if (deco.indexOf('underline') >= 0) out.push('text-decoration:underline');
    else if (deco.indexOf('line-through') >= 0) out.push('text-decoration:line-through');
    var c = cs.color;
    if (/^rgba?\([0-9., ]+\)$/.test(c) && c !== 'rgb(0, 0, 0)') out.push('color:' + c);
    return out.join(';');
  }
  function hidden(el) {
    var cs = window.getComputedStyle(el);
    return cs && (cs.display === 'none' || cs.visibility === 'hidden');
  }
  function picture(orig) {
    if (!orig || !orig.complete || !orig.naturalWidth) return null;
    var w = orig.naturalWidth, h = orig.naturalHeight;
    if (w * h > 16 * 1024 * 1024) return null;
    try {
      var canvas = document.createElement('canvas');
      canvas.width = w; canvas.height = h;
      canvas.getContext('2d').drawImage(orig, 0, 0);
      var data = canvas.toDataURL('image/png');
      if (data.length > budget) return null;
      budget -= data.length;
      images.push(data);
      return images.length - 1;
    } catch (e) {
      return null; // a picture from another site that does not allow it
    }
  }
  function safeHref(a) {
    var h = a.href || '';
    return /^(https?|ftp|mailto):/i.test(h) ? h : '';
  }
  // Walks the original nodes the range covers, so styles and pictures are
  // the ones on screen; text is cut at the range's ends.
  function emit(node, range) {
    if (node.nodeType === Node.TEXT_NODE) {
      var from = node === range.startContainer ? range.startOffset : 0;
      var to = node === range.endContainer ? range.endOffset : node.data.length;
      return esc(node.data.substring(from, to));
    }
    if (node.nodeType !== Node.ELEMENT_NODE) return '';
    var name = node.nodeName.toUpperCase();
    if (skip[name] || hidden(node)) return '';
    var inner = '';
    for (var ch = node.firstChild; ch; ch = ch.nextSibling)
      if (range.intersectsNode(ch)) inner += emit(ch, range);
    var tag = keep[name] || 'span';
    var style = look(node);
    var attrs = style ? ' style="' + esc(style) + '"' : '';
    if (tag === 'img') {
      var i = picture(node);
      var r = node.getBoundingClientRect();
      var pw = Math.round(r.width) || node.naturalWidth, ph = Math.round(r.height) || node.naturalHeight;
      if (i === null) {
        var alt = node.alt ? '[' + node.alt + ']' : '[画像]';
        var src = /^https?:/i.test(node.currentSrc || node.src) ? (node.currentSrc || node.src) : '';
        return src ? '<a href="' + esc(src) + '">' + esc(alt) + '</a>' : esc(alt);
      }
      // A mark the note turns into the picture: the markup's own pictures
      // would come with a frame around them.
      return '\uE000' + i + ',' + pw + ',' + ph + '\uE001';
    }
    if (tag === 'a') {
      var href = safeHref(node);
      return href ? '<a href="' + esc(href) + '"' + attrs + '>' + inner + '</a>' : '<span' + attrs + '>' + inner + '</span>';
    }
    if (tag === 'br') return '<br>';
    if (tag === 'td' || tag === 'th') {
      var span = '';
      if (node.colSpan > 1) span += ' colspan="' + node.colSpan + '"';
      if (node.rowSpan > 1) span += ' rowspan="' + node.rowSpan + '"';
      attrs += span;
    }
    if (tag === 'table') attrs += ' border="1" cellspacing="0" cellpadding="2"';
    return '<' + tag + attrs + '>' + inner + '</' + tag + '>';
  }
  var html = '';
  for (var k = 0; k < sel.rangeCount; ++k) {
    var range = sel.getRangeAt(k);
    var root = range.commonAncestorContainer;
    var inner = root.nodeType === Node.TEXT_NODE ? emit(root, range) : '';
    if (root.nodeType !== Node.TEXT_NODE)
      for (var ch = root.firstChild; ch; ch = ch.nextSibling)
        if (range.intersectsNode(ch)) inner += emit(ch, range);
    // The container's own look (a selection inside a bold heading stays bold).
    var holder = root.nodeType === Node.TEXT_NODE ? root.parentElement : root;
    var style = holder ? look(holder) : '';
    html += style ? '<span style="' + esc(style) + '">' + inner + '</span>' : inner;
  }
  return {html: html, images: images};
})()
)JS";

} // namespace

void recordSelection(frmBrowser *window)
{
    QPointer<frmBrowser> w(window);
    window->brwWebBrowser->view()->page()->runJavaScript(
        QString::fromUtf8(kScript), QWebEngineScript::ApplicationWorld, [w](const QVariant &result) {
            const QVariantMap selection = result.toMap();
            if (!w || selection.value(QStringLiteral("html")).toString().trimmed().isEmpty())
                return;
            quotecapture::Passage p;
            p.html = selection.value(QStringLiteral("html")).toString();
            const QString png = QStringLiteral("data:image/png;base64,");
            for (const QVariant &v : selection.value(QStringLiteral("images")).toList()) {
                const QString data = v.toString();
                p.pictures << (data.startsWith(png) ? QByteArray::fromBase64(data.mid(png.size()).toLatin1())
                                                    : QByteArray());
            }
            p.title = w->brwWebBrowser->LocationName();
            p.address = w->brwWebBrowser->LocationURL();
            p.taken = QDateTime::currentDateTime();
            if (QAction *record = w->tbToolBar->findChild<QAction *>(QStringLiteral("check")))
                record->trigger();
            NoteSession::instance().ensureNote().takePassage(p);
        });
}

} // namespace mirka::selectioncapture
