// Opening a big note in the editor as the note window does: the time to
// read it, the time until the editor is idle again (layout), the longest
// pause of the event loop meanwhile, and the time to scroll to its end.
// Run by hand: bench/open_bench [PARAGRAPHS]   (default 1,000,000 empty)
#include "note/richtext/richtextbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

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

    // The longest the event loop goes without turning: a 10 ms timer
    // measures the gaps between its own ticks.
    QElapsedTimer gap;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = qMax(longest, gap.restart());
    });

    QElapsedTimer t;
    t.start();
    box.LoadRtf(rtf);
    const qint64 loadMs = t.elapsed();
    gap.start();
    tick.start(10);
    // Idle: ten quiet ticks in a row after the load.
    qint64 idleMs = 0;
    for (int quiet = 0; quiet < 10 && t.elapsed() < 600000;) {
        QElapsedTimer step;
        step.start();
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        quiet = step.elapsed() < 5 ? quiet + 1 : 0;
        idleMs = t.elapsed();
    }
    QElapsedTimer s;
    s.start();
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
    QApplication::processEvents();
    const qint64 scrollMs = s.elapsed();
    std::printf("%d paragraphs (%.1f MB): read %lld ms, idle after %lld ms, longest pause %lld ms, "
                "scroll to end %lld ms (scroll range %d), %d blocks\n",
                paragraphs, rtf.size() / 1048576.0, loadMs, idleMs, longest, scrollMs, box.verticalScrollBar()->maximum(),
                box.document()->blockCount());
    return 0;
}
