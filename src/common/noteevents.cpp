#include "common/noteevents.h"

namespace mirka {

NoteEvents &NoteEvents::instance()
{
    static NoteEvents events;
    return events;
}

} // namespace mirka
