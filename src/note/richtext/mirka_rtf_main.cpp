// mirka-rtf: converts a note body between RTF, HTML and plain text with the
// editor's own reader and writer.
//   mirka-rtf to-html FILE.rtf    prints the document as HTML
//   mirka-rtf to-text FILE.rtf    prints its plain text (UTF-8)
//   mirka-rtf from-html FILE.html prints RTF
//   mirka-rtf to-rtf FILE.rtf     reads and writes back, as the editor saves
#include "common/savefile.h"
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfobjects.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

static int usage()
{
    std::fputs("usage: mirka-rtf to-html FILE.rtf | to-text FILE.rtf | to-rtf FILE.rtf | from-html FILE.html\n", stderr);
    return 2;
}

static void print(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    // Fonts and text layout need a GUI application; no window is shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return usage();
    const QString command = args.at(1);
    const QString path = args.at(2);
    if (command != QLatin1String("to-html") && command != QLatin1String("to-text")
        && command != QLatin1String("to-rtf") && command != QLatin1String("from-html"))
        return usage();

    QByteArray bytes;
    QString error;
    if (!mirka::readWholeFile(path, &bytes, &error)) {
        std::fprintf(stderr, "mirka-rtf: cannot read %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    QTextDocument doc;
    doc.setDefaultFont(RichTextBox::defaultBodyFont());
    if (command == QLatin1String("from-html")) {
        doc.setHtml(QString::fromUtf8(bytes));
        print(mirka::rtf::write(&doc));
        return 0;
    }
    if (!mirka::rtf::read(bytes, &doc)) {
        std::fprintf(stderr, "mirka-rtf: %s is not an RTF file\n", qPrintable(path));
        return 1;
    }
    if (command == QLatin1String("to-html"))
        print(mirka::rtf::exportHtml(&doc).toUtf8());
    else if (command == QLatin1String("to-rtf"))
        print(mirka::rtf::write(&doc));
    else
        print(mirka::rtf::plainText(&doc).toUtf8() + '\n');
    return 0;
}
