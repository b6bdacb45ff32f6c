#include "note/notefiles.h"

namespace Module1 {
void NewNote() {}
void OpenNote() {}
void SaveNote() {}
void SaveNoteAs() {}
QString CompanionFileName(const QString &notePath) { return notePath.left(notePath.size() - 4) + QStringLiteral(".qvt"); }
} // namespace Module1
