#pragma once
#include <QString>

// The file commands on the single note window.
namespace Module1 {
void NewNote();
void OpenNote();
// Open with the file already chosen (a search result): the same questions,
// no file dialog.
void OpenNote(const QString &fileName);
void SaveNote();
void SaveNoteAs();

// What Save As came to: the closing sequence asks its question again after a
// save that could not be written, and stops at a cancelled one.
enum class SaveOutcome { Saved, Cancelled, Failed };
SaveOutcome SaveNoteAsWithOutcome();

// The closing sequence's question: true when the note may go (saved,
// unchanged, or the user said No), false when the user cancelled.
bool MayDiscardNote();

// The note window state: 3 while no note is open, 4 while one is.
int NoteWindowState();
void setNoteWindowState(int state);
} // namespace Module1
