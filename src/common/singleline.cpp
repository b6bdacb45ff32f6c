#include "common/singleline.h"

#include <QLineEdit>
#include <QValidator>

namespace mirka {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == QChar(0x85)
        || c == QChar(0x2028) || c == QChar(0x2029);
}

// A validator that accepts everything, mending line breaks as it goes.
class OneLine : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        QString out;
        out.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
                out += u' ';
                if (i + 1 < pos)
                    --newPos;
                ++i;
            } else {
                out += isLineBreak(c) ? QChar(u' ') : c;
            }
        }
        input = out;
        pos = newPos;
        return Acceptable;
    }
};

} // namespace

void keepOnOneLine(QLineEdit *box) { box->setValidator(new OneLine(box)); }

} // namespace mirka
