// Opening a big note in the editor as the note window does, from the Open
// command to the body on screen: the longest the program goes without
// answering (the event loop's longest pause, measured from before reading),
// the time until the editor is idle again, the time to scroll to the end,
// how long a short note opened after it takes to free the long one, and how
// soon Cancel is answered at moments through the open.
// Run by hand: bench/open_bench [PARAGRAPHS]   (default 1,000,000 empty)
#include "note/richtext/richtextbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

namespace {

// The longest the event loop goes without turning: a 10 ms timer measures
// the gaps between its own ticks.
struct PauseMeter {
    QElapsedTimer gap;
    qint64 longest = 0;
    QTimer tick;
    PauseMeter()
    {
        QObject::connect(&tick, &QTimer::timeout, [this] { longest = qMax(longest, gap.restart()); });
        gap.start();
        tick.start(10);
    }
    qint64 stop()
    {
        longest = qMax(longest, gap.elapsed());
        tick.stop();
        return longest;
    }
};

// Turns the event loop until ten quiet ticks in a row; the time it took.
qint64 untilIdle(const QElapsedTimer &since)
{
    qint64 idle = since.elapsed();
    for (int quiet = 0; quiet < 10 && since.elapsed() < 600000;) {
        QElapsedTimer step;
        step.start();
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        quiet = step.elapsed() < 5 ? quiet + 1 : 0;
        idle = since.elapsed();
    }
    return idle;
}

// What the note window does around the load: its window hides, the body is
// read with progress (the progress dialog turns the event loop), and the
// window shows again. A cancelAt >= 0 presses Cancel once the progress
// reaches that many thousandths (reading ends at 800).
struct Open {
    bool loaded = false;
    qint64 readMs = 0, idleMs = 0, longest = 0, cancelAnsweredMs = -1;
};

Open open(RichTextBox &box, const QByteArray &rtf, qint64 cancelAt)
{
    Open o;
    PauseMeter pauses;
    QElapsedTimer t;
    t.start();
    qint64 cancelledAt = -1;
    box.hide();
    o.loaded = box.LoadRtf(rtf, [&](qsizetype done, qsizetype total) {
        QApplication::processEvents();
        if (cancelAt >= 0 && cancelledAt < 0 && done * 1000 >= cancelAt * total)
            cancelledAt = t.elapsed();
        return cancelledAt < 0;
    });
    o.readMs = t.elapsed();
    if (cancelledAt >= 0)
        o.cancelAnsweredMs = t.elapsed() - cancelledAt;
    box.show();
    o.idleMs = untilIdle(t);
    o.longest = pauses.stop();
    return o;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int paragraphs = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QByteArray rtf = "{\\rtf1 ";
    rtf.reserve(paragraphs * 6 + 16);
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\par\r\n";
    rtf += "end}";

    RichTextBox box;
    box.resize(800, 600);
    box.show();
    QApplication::processEvents();

    const Open o = open(box, rtf, -1);
    QElapsedTimer s;
    s.start();
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
    QApplication::processEvents();
    const qint64 scrollMs = s.elapsed();
    std::printf("%d paragraphs (%.1f MB): loaded in %lld ms, idle after %lld ms, longest pause %lld ms, "
                "scroll to end %lld ms (scroll range %d), %d blocks\n",
                paragraphs, rtf.size() / 1048576.0, o.readMs, o.idleMs, o.longest, scrollMs,
                box.verticalScrollBar()->maximum(), box.document()->blockCount());

    // A short note opened after the long one frees it.
    PauseMeter freeingPauses;
    QElapsedTimer freeing;
    freeing.start();
    box.LoadRtf("{\\rtf1 before}");
    const qint64 freed = untilIdle(freeing);
    const qint64 freeingPause = freeingPauses.stop();
    std::printf("  a short note opened after it: the long one freed in %lld ms, longest pause %lld ms\n", freed,
                freeingPause);
    // Cancel at moments through the open: answered when LoadRtf returns,
    // the note shown before it still there.
    for (const int at : {100, 500, 850, 950}) {
        const Open c = open(box, rtf, at);
        std::printf("  Cancel at %d/1000 of the progress: answered in %lld ms, longest pause %lld ms, %s\n", at,
                    c.cancelAnsweredMs,
                    c.longest,
                    c.loaded ? "the note opened anyway"
                             : box.Text() == QLatin1String("before") ? "the note before is back" : "CONTENT LOST");
    }
    return 0;
}
