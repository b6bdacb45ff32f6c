#include "note/notezoom.h"

#include "common/zoomsteps.h"
#include "note/richtext/richtextbox.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>

namespace mirka::notezoom {

namespace {

// The zoom of one editor, with the device whose resolution lays it out.
class Zoom : public QObject {
public:
    explicit Zoom(RichTextBox *box) : QObject(box), m_box(box)
    {
        setObjectName(QStringLiteral("mirkaNoteZoom"));
        box->viewport()->installEventFilter(this);
        // A load gives the editor a new document, laid out for the screen.
        connect(box, &RichTextBox::ContentReplaced, this, [this] {
            if (m_factor != 1.0)
                apply();
        });
    }

    double factor() const { return m_factor; }

    void set(double factor)
    {
        if (qFuzzyCompare(factor, m_factor))
            return;
        m_factor = factor;
        apply();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        int dy = 0;
        if (!zoom::isZoomWheel(event, &dy))
            return false;
        // Taken here: the editor would otherwise scroll, or change its font.
        if (dy)
            set(zoom::step(m_factor, dy));
        return true;
    }

private:
    void apply()
    {
        QTextDocument *doc = m_box->document();
        if (m_factor == 1.0) {
            doc->documentLayout()->setPaintDevice(nullptr);
        } else {
            // Only the resolution of this device is ever read.
            const double dpi = m_box->logicalDpiY() * m_factor;
            m_device = QImage(1, 1, QImage::Format_RGB32);
            m_device.setDotsPerMeterX(qRound(dpi / 0.0254));
            m_device.setDotsPerMeterY(qRound(dpi / 0.0254));
            doc->documentLayout()->setPaintDevice(&m_device);
        }
        // Lays the document out again without touching its content, so the
        // note is not marked changed.
        doc->markContentsDirty(0, doc->characterCount());
        m_box->ensureCursorVisible();
    }

    RichTextBox *m_box;
    double m_factor = 1.0;
    QImage m_device;
};

Zoom *zoomOf(const RichTextBox *box)
{
    return box->findChild<Zoom *>(QStringLiteral("mirkaNoteZoom"), Qt::FindDirectChildrenOnly);
}

Zoom &ensure(RichTextBox *box)
{
    Zoom *z = zoomOf(box);
    return z ? *z : *new Zoom(box);
}

} // namespace

void attach(RichTextBox *box) { ensure(box); }
void zoomIn(RichTextBox *box) { ensure(box).set(zoom::step(ensure(box).factor(), 1)); }
void zoomOut(RichTextBox *box) { ensure(box).set(zoom::step(ensure(box).factor(), -1)); }
void reset(RichTextBox *box) { ensure(box).set(1.0); }

double factor(const RichTextBox *box)
{
    const Zoom *z = zoomOf(box);
    return z ? z->factor() : 1.0;
}

} // namespace mirka::notezoom
