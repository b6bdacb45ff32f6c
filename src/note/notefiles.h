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

// The companion file that holds the theme and the recorded pages, for a note
// file path.
QString CompanionFileName(const QString &notePath);

// What Save As came to: the closing sequence asks its question again after a
// save that could not be written.
enum class SaveOutcome { Saved, Cancelled, Failed };
SaveOutcome SaveNoteAsWithOutcome();

// The frame's note window state: 3 while no note is open, 4 while one is.
int &NoteWindowState();
} // namespace Module1
