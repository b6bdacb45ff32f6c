#pragma once
#include <QObject>

namespace mirka {

// Tells whoever keeps track of the user's notes (the search across notes)
// that a note's files were read or written, without the file commands
// knowing who listens.
class NoteEvents : public QObject {
    Q_OBJECT
public:
    static NoteEvents &instance();

signals:
    // A note was opened or saved; the path of its body file.
    void touched(const QString &notePath);
};

} // namespace mirka
