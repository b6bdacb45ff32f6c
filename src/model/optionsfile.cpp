#include "model/optionsfile.h"

#include "common/fieldrecord.h"

namespace mirka::options {

Values parse(const QByteArray &fileBytes)
{
    // A missing or short file leaves the fields it lacks empty (unchecked).
    FieldRecordReader in(fileBytes);
    Values v;
    in.read(&v.startPage);
    in.read(&v.searchPage);
    QString check;
    if (in.read(&check)) {
        bool ok = false;
        v.check = check.toInt(&ok);
        if (!ok)
            v.check = -1;
    }
    return v;
}

QByteArray format(const Values &values)
{
    FieldRecordWriter out;
    out.text(values.startPage).endLine();
    out.text(values.searchPage).endLine();
    out.number(values.check).endLine();
    return out.data();
}

} // namespace mirka::options
