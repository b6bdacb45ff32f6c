#include "note/notefiles.h"

#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/noteevents.h"
#include "model/note.h"
#include "model/notefile.h"
#include "note/frmDocument.h"
#include "note/loadprogress.h"
#include "note/richtext/richtextbox.h"

namespace Module1 {

namespace {

const QString kFilter = QStringLiteral("Mirkaのﾌｧｲﾙ (*.rtf)|*.rtf|すべてのファイル (*.*)|*.*");

void reportSaveFailure(frmDocument &d, const QString &path, const QString &reason)
{
    mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, reason),
                  mirka::MsgButtons::OK, QString(), &d);
}

// Writes the note pair with its copies as one; a failure is reported with
// the file and the reason and leaves the previous files as they were.
bool writeNote(frmDocument &d, const QString &notePath)
{
    // A copy still being written has a few seconds to arrive.
    d.note->waitForPending(10000);
    QList<mirka::RecordedPage> saved;
    QString failed, reason;
    QList<std::pair<QString, QString>> copyFailures;
    if (!mirka::notefile::write(notePath, d.rtfText->RtfBytes(), d.note->theme(), d.note->pages(), &saved,
                                &failed, &reason, &copyFailures)) {
        reportSaveFailure(d, failed, reason);
        return false;
    }
    d.note->copiesSaved(saved);
    if (!copyFailures.isEmpty()) {
        QString headline = QStringLiteral("ノートは保存しましたが、保存したページを書き込めませんでした。");
        if (copyFailures.size() > 1)
            headline += QStringLiteral("（ほか %1 件）").arg(copyFailures.size() - 1);
        mirka::MsgBox(mirka::fileFailureMessage(headline, copyFailures[0].first, copyFailures[0].second),
                      mirka::MsgButtons::OK, QString(), &d);
    }
    return true;
}

// The note window's dialog remembers what its last use chose; before there
// is a window, Open uses one of its own.
mirka::CommonDialog &openDialog()
{
    static mirka::CommonDialog withoutWindow;
    frmDocument *d = frmDocument::instance();
    return d ? d->dlgCommonDialog : withoutWindow;
}

} // namespace

int NoteWindowState() { return mirka::NoteSession::instance().windowState(); }
void setNoteWindowState(int state) { mirka::NoteSession::instance().setWindowState(state); }

void NewNote()
{
    if (NoteWindowState() != 3) {
        mirka::MsgBox(QStringLiteral("一つしかファイルは開くことができません"), mirka::MsgButtons::OK,
                      QString(), frmDocument::instance());
        return;
    }
    frmDocument &d = frmDocument::get();
    d.showWindow();
    setNoteWindowState(4);
}

SaveOutcome SaveNoteAsWithOutcome()
{
    frmDocument *d = frmDocument::instance();
    if (!d)
        return SaveOutcome::Cancelled;
    mirka::CommonDialog &dlg = d->dlgCommonDialog;
    dlg.DialogTitle = QStringLiteral("名前を付けて保存");
    dlg.CancelError = false;
    dlg.Filter = kFilter;
    dlg.Flags = mirka::CommonDialog::OverwritePrompt;
    dlg.ShowSave();
    if (dlg.FileName.isEmpty())
        return SaveOutcome::Cancelled;

    const QString fullPath = dlg.FileName;
    if (!writeNote(*d, fullPath))
        return SaveOutcome::Failed; // the caption keeps naming the last file written
    d->note->setFileName(fullPath);
    d->setModified(false);
    emit mirka::NoteEvents::instance().touched(fullPath);
    return SaveOutcome::Saved;
}

void SaveNoteAs() { SaveNoteAsWithOutcome(); }

void SaveNote()
{
    frmDocument *d = frmDocument::instance();
    if (!d || !d->isModified())
        return;
    const QString path = d->note->fileName();
    if (path.isEmpty()) {
        SaveNoteAs();
        return;
    }
    if (writeNote(*d, path)) {
        d->setModified(false);
        emit mirka::NoteEvents::instance().touched(path);
    }
}

bool MayDiscardNote()
{
    frmDocument *d = frmDocument::instance();
    // A window made by recording a page is asked about too once it holds
    // something, or closing it would silently drop the recorded pages.
    if (!d || (NoteWindowState() == 3 && !d->holdsWork()))
        return true;
    // A save that could not be written asks again rather than dropping the
    // note; Cancel, here or in the save dialog, keeps it.
    while (d->isModified()) {
        switch (mirka::MsgBox(QStringLiteral("ファイルを保存しますか"), mirka::MsgButtons::YesNoCancel,
                              QStringLiteral("保存"), d)) {
        case mirka::MsgAnswer::Yes:
            break;
        case mirka::MsgAnswer::No:
            return true;
        default:
            return false;
        }
        switch (SaveNoteAsWithOutcome()) {
        case SaveOutcome::Saved:
            return true;
        case SaveOutcome::Cancelled:
            return false;
        case SaveOutcome::Failed:
            break;
        }
    }
    return true;
}

void OpenNote() { OpenNote(QString()); }

void OpenNote(const QString &fileName)
{
    frmDocument *open = frmDocument::instance();
    // Pages recorded before any New or Open are the user's work as much as
    // an open note's.
    if (open && open->isModified() && (NoteWindowState() != 3 || open->holdsWork())) {
        if (mirka::MsgBox(QStringLiteral("現在、作成中のデータを消去します"), mirka::MsgButtons::YesNo,
                          QString(), open) != mirka::MsgAnswer::Yes) {
            mirka::MsgBox(QStringLiteral("ファイルを保存後、新しいデータを開いてください。"),
                          mirka::MsgButtons::OK, QString(), open);
            return;
        }
    }

    // Nothing of the note on screen changes until the chosen file has been
    // read: a cancel or a failure leaves it as it was.
    mirka::CommonDialog &dlg = openDialog();
    dlg.DialogTitle = QStringLiteral("開く");
    dlg.CancelError = true;
    dlg.Filter = kFilter;
    if (fileName.isEmpty() && !dlg.ShowOpen())
        return;
    const QString fullPath = fileName.isEmpty() ? dlg.FileName : fileName;
    QWidget *parent = frmDocument::instance();
    auto fail = [parent](const QString &file, const QString &reason) {
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("ファイルを開けませんでした。"), file, reason),
                      mirka::MsgButtons::OK, QString(), parent);
    };
    mirka::notefile::Content content;
    QString failed, reason;
    if (!mirka::notefile::read(fullPath, &content, &failed, &reason))
        return fail(failed, reason);

    const bool hadWindow = frmDocument::instance() != nullptr;
    frmDocument &d = frmDocument::get();
    // A long read shows its progress; Cancel ends the command as cancelling
    // the file dialog does.
    LoadProgress progress(d.window());
    const bool loaded = d.rtfText->LoadRtf(content.body, progress.callback());
    progress.close();
    if (!loaded) {
        if (!progress.cancelled())
            fail(fullPath, QStringLiteral("リッチテキスト (RTF) のファイルとして読めません。"));
        if (!hadWindow) {
            d.setModified(false);
            d.closeWindow();
        }
        return;
    }
    d.note->setContent(content.theme, content.pages);
    d.note->setFileName(fullPath);
    // The note counts as changed until saved, as the theme box was filled.
    d.setModified(true);
    emit mirka::NoteEvents::instance().touched(fullPath);
    setNoteWindowState(4);
    d.showWindow();
    if (content.morePages)
        mirka::MsgBox(mirka::fileFailureMessage(
                          QStringLiteral("記録したページが多すぎるため、最初の %1 件だけを読み込みました。")
                              .arg(mirka::notefile::maxPages),
                          content.companionPath,
                          QStringLiteral("残りのページは読み込んでいません。保存するまでファイルはそのままです。")),
                      mirka::MsgButtons::OK, QString(), &d);
}

} // namespace Module1
