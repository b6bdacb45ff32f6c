#pragma once
#include <QString>

// The file commands on the single note window.
namespace Module1 {
void NewNote();
void OpenNote();
void SaveNote();
void SaveNoteAs();

// The companion file that holds the theme and the recorded pages, for a note
// file path.
QString CompanionFileName(const QString &notePath);
} // namespace Module1
