#include "note/notefiles.h"

#include "common/codepage.h"
#include "common/dialogs.h"
#include "common/fieldrecord.h"
#include "common/paths.h"
#include "common/fileerror.h"
#include "common/noteevents.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "note/loadprogress.h"
#include "note/notecopies.h"
#include "note/pagecopies.h"
#include "note/richtext/richtextbox.h"
#include "shell/frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>

namespace Module1 {

namespace {

const QString kNewFile = QStringLiteral("新規ファイル");
const QString kFilter = QStringLiteral("Mirkaのﾌｧｲﾙ (*.rtf)|*.rtf");

qsizetype lastSeparator(const QString &path)
{
#ifdef _WIN32
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
#else
    return path.lastIndexOf(u'/');
#endif
}

// The companion of a bare name: the name without its last four characters,
// then ".qvt". A name shorter than four characters keeps itself whole
// ("ab" gives "ab.qvt"), so the companion never takes a name of its own.
QString companionName(const QString &bareName)
{
    const QString base = bareName.size() >= 4 ? bareName.left(bareName.size() - 4) : bareName;
    return base + QStringLiteral(".qvt");
}

// A note holds at most this many recorded pages (list indexes are 16-bit).
constexpr int kMaxPages = 32767;

void reportSaveFailure(frmDocument &d, const QString &path, const QString &reason)
{
    mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, reason),
                  mirka::MsgButtons::OK, QString(), &d);
}

QByteArray companionBytes(const frmDocument &d)
{
    mirka::FieldRecordWriter w;
    w.text(d.Text1->text()).endLine();
    const int n = d.List1->count();
    for (int i = 0; i < n; ++i) {
        const QListWidgetItem *address = d.List2->item(i);
        w.text(d.List1->item(i)->text())
            .text(mirka::cp932::storableAddress(address ? address->text() : QString()))
            .endLine();
    }
    return w.data();
}

// Writes the body and the companion file. Both are written out and checked
// before either replaces its old file, so a failure leaves the previous pair
// intact; the failure is reported with the file and the reason.
bool writeNotePair(frmDocument &d, const QString &notePath, const QString &companionPath)
{
    if (mirka::samePath(notePath, companionPath)) {
        reportSaveFailure(d, notePath,
                          QStringLiteral("ノートのファイルと \".qvt\" ファイルが同じ名前になります。"));
        return false;
    }
    QString failed, reason;
    if (mirka::writeFilesTogether({{notePath, d.rtfText->RtfBytes()}, {companionPath, companionBytes(d)}},
                                  &failed, &reason))
        return true;
    reportSaveFailure(d, failed, reason);
    return false;
}

// The note pair together with the saved page copies beside it.
bool writeNoteFiles(frmDocument &d, const QString &notePath, const QString &companionPath)
{
    return mirka::notecopies::save(
        d, companionPath, [&] { return writeNotePair(d, notePath, companionPath); },
        [&d](const QString &path, const QString &reason) { reportSaveFailure(d, path, reason); });
}

} // namespace

int &NoteWindowState()
{
    static int withoutFrame = 3;
    frmMain *f = frmMain::instance();
    return f ? f->NoteWindowState : withoutFrame;
}

QString CompanionFileName(const QString &notePath)
{
    const qsizetype sep = lastSeparator(notePath);
    return notePath.left(sep + 1) + companionName(notePath.mid(sep + 1));
}

void NewNote()
{
    if (NoteWindowState() != 3) {
        mirka::MsgBox(QStringLiteral("一つしかファイルは開くことができません"), mirka::MsgButtons::OK,
                      QString(), frmDocument::instance());
        return;
    }
    frmDocument &d = frmDocument::get();
    d.showWindow();
    d.setCaption(kNewFile);
    NoteWindowState() = 4;
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
    if (!writeNoteFiles(*d, fullPath, CompanionFileName(fullPath)))
        return SaveOutcome::Failed; // the caption keeps naming the last file written
    d->setCaption(fullPath);
    d->Modified = false;
    emit mirka::NoteEvents::instance().touched(fullPath);
    return SaveOutcome::Saved;
}

void SaveNoteAs() { SaveNoteAsWithOutcome(); }

void SaveNote()
{
    frmDocument *d = frmDocument::instance();
    if (!d || !d->Modified)
        return;
    const QString path = d->Caption();
    if (path == kNewFile || path.isEmpty()) {
        SaveNoteAs();
        return;
    }
    if (writeNoteFiles(*d, path, CompanionFileName(path))) {
        d->Modified = false;
        emit mirka::NoteEvents::instance().touched(path);
    }
}

void OpenNote() { OpenNote(QString()); }

void OpenNote(const QString &fileName)
{
    frmDocument *open = frmDocument::instance();
    // Pages recorded before any New or Open are the user's work as much as
    // an open note's.
    if (open && open->Modified && (NoteWindowState() != 3 || open->holdsWork())) {
        if (mirka::MsgBox(QStringLiteral("現在、作成中のデータを消去します"), mirka::MsgButtons::YesNo,
                          QString(), open) != mirka::MsgAnswer::Yes) {
            mirka::MsgBox(QStringLiteral("ファイルを保存後、新しいデータを開いてください。"),
                          mirka::MsgButtons::OK, QString(), open);
            return;
        }
    }
    frmDocument &d = frmDocument::get();

    d.hideWindow();
    d.setCaption(QString());
    d.Text1->setText(QString());
    d.List1->clear();
    d.List2->clear();
    d.rtfText->setText(QString());
    d.Copies->clear();

    // From here on every failure closes the note window through its closing
    // sequence.
    mirka::CommonDialog &dlg = d.dlgCommonDialog;
    dlg.DialogTitle = QStringLiteral("開く");
    dlg.CancelError = true;
    dlg.Filter = kFilter;
    // What Open emptied is never offered for saving: saving it would
    // replace the user's files with nothing.
    auto cancel = [&d] {
        d.Modified = false;
        d.closeWindow();
    };
    // The window closes either way; the user learns which file failed and why
    // rather than seeing the note vanish.
    auto fail = [&d, &cancel](const QString &file, const QString &reason) {
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("ファイルを開けませんでした。"), file, reason),
                      mirka::MsgButtons::OK, QString(), &d);
        cancel();
    };
    if (fileName.isEmpty() && !dlg.ShowOpen())
        return cancel();

    const QString fullPath = fileName.isEmpty() ? dlg.FileName : fileName;
    QByteArray bytes;
    QString error;
    if (!mirka::readWholeFile(fullPath, &bytes, &error))
        return fail(fullPath, error);
    // A long read shows its progress; Cancel ends the command as cancelling
    // the file dialog does.
    LoadProgress progress(d.window());
    const bool loaded = d.rtfText->LoadRtf(bytes, progress.callback());
    progress.close();
    if (!loaded)
        return progress.cancelled() ? cancel()
                                    : fail(fullPath, QStringLiteral("リッチテキスト (RTF) のファイルとして読めません。"));
    d.setCaption(fullPath);

    const QString companion = CompanionFileName(fullPath);
    if (!mirka::readWholeFile(companion, &bytes, &error, mirka::maxSettingsFileSize))
        return fail(companion, error);
    mirka::FieldRecordReader reader(bytes);
    const QString broken = QStringLiteral("テーマと記録したページが途中で切れています。");
    QString theme;
    if (!reader.read(&theme))
        return fail(companion, broken);
    d.Text1->setText(theme);
    bool more = false;
    while (!reader.atEnd()) {
        if (d.List1->count() >= kMaxPages) {
            more = true;
            break;
        }
        QString title, address;
        if (!reader.read(&title) || !reader.read(&address))
            return fail(companion, broken);
        d.List1->addItem(title);
        d.List2->addItem(address);
    }

    mirka::notecopies::opened(d, companion);
    emit mirka::NoteEvents::instance().touched(fullPath);
    NoteWindowState() = 4;
    d.showWindow();
    if (more)
        mirka::MsgBox(mirka::fileFailureMessage(
                          QStringLiteral("記録したページが多すぎるため、最初の %1 件だけを読み込みました。").arg(kMaxPages),
                          companion,
                          QStringLiteral("残りのページは読み込んでいません。保存するまでファイルはそのままです。")),
                      mirka::MsgButtons::OK, QString(), &d);
}

} // namespace Module1
